#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace velmora {

// Asks for one area name, to add an area or to rename one; checks nothing itself.
class TForm5 : public QDialog {
public:
    enum class Mode { Add, Rename };

    // The result before the dialog is confirmed.
    static constexpr int kNotConfirmed = -1;
    static constexpr int kConfirmed = 1;

    explicit TForm5(QWidget* parent = nullptr);

    // Shows the dialog modally in the mode; a rename starts from oldName, an add keeps the
    // text typed last time. Returns the result, kConfirmed or kNotConfirmed.
    int Ask(Mode mode, const QString& oldName = QString());

    // Sets the mode and the field as Ask does, without showing the dialog.
    void Prepare(Mode mode, const QString& oldName = QString());

    // The window the dialog is centred on when shown.
    void SetOwner(QWidget* owner) { m_owner = owner; }

    QString Name() const;
    int Result() const { return m_result; }

    QLineEdit* NameEdit() const { return m_edit; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RenameButton() const { return m_rename; }
    QPushButton* CloseButton() const { return m_close; }

private:
    void Confirm();

    QLineEdit* m_edit;
    QPushButton* m_add;
    QPushButton* m_rename;
    QPushButton* m_close;
    QWidget* m_owner = nullptr;
    int m_result = kNotConfirmed;
};

}  // namespace velmora
