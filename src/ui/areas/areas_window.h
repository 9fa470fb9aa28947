#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "store/attributes.h"

class QAction;
class QLabel;
class QMenu;
class QSpinBox;

namespace Ui {
class TForm4;
}

namespace velmora {

class COMMON_DATA;
class Editor;

// The areas and attributes window: the area list, the brush size, the event tabs and the
// effect pages that edit the loaded area's three records.
class TForm4 : public QDialog {
public:
    explicit TForm4(Editor& editor);
    ~TForm4() override;

    // Refreshes named in the window's contract with the main window.
    void UpdateFieldsList();
    // An area chosen in the list: the pending records are written, the chosen area's loaded.
    void ListBox1Click();
    // Another effect page or event shown: the main view, or the overlay preview, follows.
    void PageControl1Change();
    void UpdateStatusBar();
    // While the switch "Предпросмотр" is on and the effects page shows, the picture shows the
    // current event's effects on the chosen area and on the rest; otherwise none.
    void UpdateEffectPreview();
    // Fill or clear every control of the effect pages from Attributes[current event].
    void UpdateAttributes();
    void ClearAttributes();

    // The list and tab commands.
    void AddClick();
    void DeleteClick();
    void RenameClick();
    void ImportAddClick();
    void ImportReplaceClick();
    void ClearListClick();
    void RefreshClick();
    void ClearPropertiesClick();
    void ClearEventsClick();
    void CopyToEventClick(int target);

    // The effect pages' buttons: the page-wise copy, paste and clear, the image boxes, the sound
    // and the link.
    void PageCopyClick();
    void PagePasteClick();
    void PageClearClick();
    void ChoosePicture(int page);
    void SoundChooseClick();
    void SoundPlayClick();
    void LinkPasteClick();
    void LinkCopyClick();
    // Shows under the URL what the page will do otherwise than the author may expect: a link
    // on "over" or of an unsafe scheme is not opened.
    void UpdateLinkWarning();

    // Coordinate entry with Ctrl and a click on the picture: writes (x, y) into the pair of
    // fields that the active page and the button choose; false when the pair is none.
    bool EnterCoordinates(Qt::MouseButton button, int x, int y);
    // Selects the list entry of the name and loads it, as the middle click does; false when
    // the list holds no such entry.
    bool SelectAreaByName(const QString& name);
    // Moves the brush slider by a wheel delta (delta ÷ 60, truncated, kept within 1..100).
    void MoveBrushSlider(int wheelDelta);

    int CurrentEvent() const;
    int ActivePage() const;
    bool Loading() const { return m_loading; }
    const QString& PendingSelection() const { return m_pendingSelection; }

    const Ui::TForm4& Controls() const { return *m_ui; }
    QLabel* EventPanel(int event) const { return m_eventPanels[event]; }
    QMenu* ListMenu() const { return m_listMenu; }
    QMenu* TabsMenu() const { return m_tabsMenu; }

    // Moves the window beside the main window when it stands over it, so that the picture
    // stays in view.
    void StandBesideMainWindow();

    // Offers the commands that change areas and effects, or (for a project open for viewing)
    // only those that show them.
    void SetEditable(bool editable);
    bool Editable() const { return m_editable; }
    static constexpr const char* kPreviewSwitchName = "EffectPreview";
    // The side of the colour swatch before each area's name in the list.
    static constexpr int kSwatchSide = 12;

    // Keeps the window's place and size for the next run.
    void RememberPlace();
    static constexpr const char* kPlaceKey = "areas";

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc hands the keyboard back to the picture instead of closing the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    COMMON_DATA& Data();
    void BuildStatusBar();
    void BuildMenus();
    void ConnectControls();
    void ConnectEffectPages();
    void SelectRow(int row);
    bool HasSelection() const;
    QString SelectedName() const;
    // The change handler of a number field: stores value into the field of the current
    // event's record unless the window is filling its controls or no area is selected.
    void StoreNumber(std::int32_t ATTRIBUTES::*field, int value);
    // Whether a change handler may store: the window is not filling its controls and an
    // area is selected.
    bool CanStore() const;
    // Fills the controls of one effect page from record. A list whose text names no item
    // keeps its choice when keepUnknownListText, else shows no item.
    void FillPage(int page, const ATTRIBUTES& record, bool keepUnknownListText);
    // Shows the picture of that name from the project's Pictures folder, or nothing; a file
    // that cannot be loaded is reported.
    void ShowPicture(QLabel* box, const std::string& name);
    void UpdateMainView();

    Editor& m_editor;
    std::unique_ptr<Ui::TForm4> m_ui;
    std::array<QLabel*, 3> m_eventPanels{};
    QMenu* m_listMenu = nullptr;
    QMenu* m_tabsMenu = nullptr;
    QString m_pendingSelection;
    bool m_loading = false;
    bool m_placed = false;
    bool m_editable = true;
};

}  // namespace velmora
