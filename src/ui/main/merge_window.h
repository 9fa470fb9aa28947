#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace velmora {

class Editor;

// Merges several exported pages into one page; stays open beside the main window.
class TForm7 : public QDialog {
public:
    explicit TForm7(Editor& editor);

    void AddClick();
    void RemoveClick();
    void ClearClick();
    void SaveClick();

    // The page paths in list order.
    std::vector<std::string> Paths() const;

    QListWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* ClearButton() const { return m_clear; }
    QPushButton* SaveButton() const { return m_save; }

private:
    Editor& m_editor;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
};

}  // namespace velmora
