#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Editor;

// Adds a grid of numbered areas and paints it in one step.
class TForm8 : public QDialog {
public:
    explicit TForm8(Editor& editor);

    void OkClick();
    void DefaultsClick();

    QComboBox* ColumnsList() const { return m_columns; }
    QComboBox* RowsList() const { return m_rows; }
    QLineEdit* PrefixField() const { return m_prefix; }
    QCheckBox* OverwriteBox() const { return m_overwrite; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* DefaultsButton() const { return m_defaults; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    Editor& m_editor;
    QComboBox* m_columns = nullptr;
    QComboBox* m_rows = nullptr;
    QLineEdit* m_prefix = nullptr;
    QCheckBox* m_overwrite = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_defaults = nullptr;
};

}  // namespace velmora
