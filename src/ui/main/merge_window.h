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
    // Moves the selected page one place up (-1) or down (+1) in the merge order; a beep when
    // nothing is selected or it is already at that end.
    void MoveClick(int step);

    // Keeps the window's place and size for the next run.
    void RememberPlace();
    static constexpr const char* kPlaceKey = "merging";

    // The page paths in list order.
    std::vector<std::string> Paths() const;

    QListWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* ClearButton() const { return m_clear; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* UpButton() const { return m_up; }
    QPushButton* DownButton() const { return m_down; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Editor& m_editor;
    bool m_placed = false;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_save = nullptr;
};

}  // namespace velmora
