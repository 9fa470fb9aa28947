#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "canvas/map/rect.h"
#include "canvas/view/status_readout.h"
#include "canvas/view/view_compose.h"
#include "export/export_commands.h"
#include "store/bitmap.h"
#include "store/db_connection.h"
#include "ui/main/canvas_tools.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QMenu;
class QSpinBox;
class QTimer;
class QToolBar;

namespace velmora {

class COMMON_DATA;
class DRAW_HISTORY;
class MapWriter;
class Progress;
class SpanTarget;
class StrokeRecorder;
class ThreadSafePrompter;
class CanvasView;
class Editor;
class NavigatorView;

inline constexpr const char* kMainCaption = "Velmora Editor 4.0";
inline constexpr const char* kCaptionPrefix = "Velmora Editor 4.0 - ";
// A project that cannot be written is shown, not refused; the title and a note say so.
inline constexpr const char* kViewOnlyMark = " (только чтение)";
inline constexpr const char* kViewOnlyNote =
    "Проект открыт только для просмотра: файл проекта или его папка защищены от записи. Чтобы "
    "изменять его, сохраните копию командой «Сохранить как».";

// The main window: shows the composed picture, takes the painting and the picking, and holds
// the project, edit, view and tools menus.
class TForm1 : public QMainWindow {
public:
    explicit TForm1(Editor& editor);
    ~TForm1() override;

    COMMON_DATA& Data() { return *m_data; }
    const QString& ProgramFolder() const { return m_programFolder; }

    void RecountFormSize();
    // Recomposes the whole view, or only a rectangle of it after a brush segment.
    void UpdateView();
    void UpdateView(const Rect& rect);
    // The overlay preview of the areas window's current event.
    void DrawOverlay();
    // The image control drops its picture and shows nothing.
    void ReleasePicture();
    // The brush size changed by a key or the wheel: the slider and the outline follow.
    void MoveBrush(int wheelDelta);
    ViewMode Mode() const { return m_viewMode; }
    void SetViewMode(ViewMode mode);

    // The mouse over the picture, in picture pixels; buttons are those held at the moment.
    void ImageMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void ImageMouseUp();
    void WheelTurned(int delta);
    void StartTimerFired();

    // The menu commands.
    void NewClick();
    void OpenClick();
    // Open without the dialog: a recent project or a file dropped on the window.
    void OpenProjectFile(const std::string& path);
    // The recent projects, newest first, as QSettings keeps them.
    QStringList RecentProjects() const;
    QMenu* RecentMenu() const { return m_recentMenu; }
    void SaveClick();
    void SaveAsClick();
    void OpenPictureClick();
    // "Экспорт в HTML": the page and its data script into a chosen file.
    void N39Click();
    // "Протестировать в браузере": exports into the project's HTML folder and opens the page.
    void N41Click();
    // What the menu's check box "Доступная страница" asks of both exports.
    ExportOptions ChosenExportOptions() const;
    void ExitClick();
    void UndoClick();
    void RedoClick();
    void ClearMapClick();
    void AttributesClick();
    void GridClick();
    void MusicClick();
    // "Объединение нескольких файлов в один": shows the page merging window.
    void N68Click();
    // File: areas made of the shapes of a markup file, and the areas' outlines written as one.
    void ImportShapesClick();
    void ExportShapesClick();

    // The area tools of the tool bar. Each use writes the current area's number, as the brush
    // does, into pixels of no area, or with overwrite into those of other areas too, and is
    // one step of the drawing history.
    void SelectTool(AreaTool tool);
    AreaTool CurrentTool() const { return m_currentTool; }
    // A tool is usable once a project with a picture and an area is open; else a beep.
    bool ReadyForTool();
    void FillAt(QPoint pixel, bool overwrite);
    void WandAt(QPoint pixel, bool overwrite);
    // box in picture pixels, its edge pixels included.
    void FillBox(AreaTool kind, const QRect& box, bool overwrite);
    // Corners are pixels; the polygon joins their centres.
    void FillPolygonCorners(const std::vector<QPoint>& corners, bool overwrite);
    QToolBar* ToolBar() const { return m_toolBar; }
    void Beep();

    // Runs a long core operation off the UI thread with "Подождите…" and "Отмена"
    // (LongOperation); the canvas keeps its frame meanwhile. False when the user cancelled:
    // the operation then changed nothing. A failure of work is thrown here.
    bool RunLong(const std::function<void(Progress&)>& work);

    // Rewrites the status bar from the session and the pointer's last place over the picture.
    void RefreshStatusBar();
    // The title's modified mark follows the session's unsaved changes.
    void RefreshModifiedMark();
    // Says for a few seconds in the status bar what was just written and where.
    void ShowWritten(const QString& text);
    static constexpr int kWrittenNoteMs = 5000;

    // Its place and size are kept for the next run (saved when the editor ends).
    static constexpr const char* kPlaceKey = "main";

    QLabel* Panel(int index) const { return m_panels[index]; }
    // The picture at any zoom; Image() is the widget under the mouse.
    CanvasView* Canvas() const { return m_canvas; }
    QWidget* Image() const;
    QLabel* ZoomPanel() const { return m_zoomPanel; }
    NavigatorView* Navigator() const { return m_navigator; }
    QTimer* StartTimer() const { return m_startTimer; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildMenus();
    // Undo or redo: step takes one step of the drawing history; a refusal beeps.
    void StepThroughHistory(bool (*step)(COMMON_DATA&, DRAW_HISTORY&));
    void BuildStatusBar();
    // The area tools' bar, and their items at the end of the menu "Инструменты".
    void BuildToolBar(QMenu* tools);
    // Runs tool on the map with the current area's number; what it changed becomes one history
    // step and is redrawn. A refusal of the core is shown and changes nothing.
    void UseAreaTool(const std::function<void(MapWriter&)>& tool, bool overwrite);
    // The same for a tool that may take long: select notes its pixels in a mask off the UI
    // thread, and only a finished selection is written as the step.
    void UseSelectingTool(const std::function<void(SpanTarget&, Progress&)>& select,
                          bool overwrite);
    // The canvas's zoom commands in the menu "Вид", its status figure and the navigator.
    void BuildZoomControls(QMenu* view);
    void ShowZoom();
    // The project just opened, created or saved under a new name heads the recent list.
    void RememberRecentProject();
    void FillRecentMenu();
    // Where file dialogs start: the open project (or the file itself when saving it under
    // another name), else the folder of the last project used.
    std::string DialogStart(bool withFileName = false) const;
    void OpenOutput();
    void RegisterAssociation();
    void SetProjectCaption();
    // The commands that change the project are offered only while it may be changed.
    void FollowEditingAllowed();
    // True when the open project may be changed; else says why (a beep-free refusal).
    bool EditingAllowed();
    // The shared first steps of New and Open when a project is open: save, close, forget.
    void SaveAndCloseProject();
    // Exit and the close query: the map and the pending edits are written, the file closed.
    void FinishProject();
    // After Open and the start-up argument have opened a project: its picture, the caption
    // and the areas window.
    void ShowOpenedProject();
    void ShowAttributesWindow();
    // Open picture after its file was chosen: asks before painted areas are wiped.
    void ImportPictureFile(const std::string& path);
    void Message(const char* text);
    bool AttributesVisible() const;

    Editor& m_editor;
    QString m_programFolder;
    // The two connections outlive COMMON_DATA, which only points at them.
    DbConnection m_projectDb;
    DbConnection m_sourceDb;
    // What COMMON_DATA asks through, so that it may ask from a long operation's thread too.
    std::unique_ptr<ThreadSafePrompter> m_prompter;
    std::unique_ptr<COMMON_DATA> m_data;
    // The brush: a press, moves and a release become map pixels and one history step.
    std::unique_ptr<StrokeRecorder> m_stroke;
    Bitmap m_preview;  // the overlay preview
    ViewMode m_viewMode = ViewMode::PictureAndMask;

    CanvasView* m_canvas = nullptr;
    NavigatorView* m_navigator = nullptr;
    std::array<QLabel*, 4> m_panels{};
    QLabel* m_zoomPanel = nullptr;
    QActionGroup* m_viewGroup = nullptr;
    QTimer* m_startTimer = nullptr;
    QMenu* m_recentMenu = nullptr;
    QAction* m_accessibleExport = nullptr;
    QAction* m_webImagesExport = nullptr;
    QToolBar* m_toolBar = nullptr;
    QActionGroup* m_toolGroup = nullptr;
    QSpinBox* m_tolerance = nullptr;
    QCheckBox* m_contiguous = nullptr;
    // One mode per tool, by AreaTool's order; none for the brush.
    std::array<std::unique_ptr<AreaToolMode>, 7> m_toolModes;
    AreaTool m_currentTool = AreaTool::Brush;
    // Where the pointer was last seen over the picture, in picture pixels.
    std::optional<PicturePoint> m_pointer;
};

}  // namespace velmora
