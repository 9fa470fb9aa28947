#include "ui/main/main_window.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWheelEvent>

#include "audio/audio_output.h"
#include "canvas/history/draw_history.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/view/overlay_preview.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/recent_projects.h"
#include "store/store_messages.h"
#include "ui/areas/areas_window.h"
#include "ui/common/app_icon.h"
#include "ui/common/cross_thread_ports.h"
#include "ui/common/editor_application.h"
#include "ui/common/long_operation.h"
#include "ui/common/mnemonics.h"
#include "ui/common/text.h"
#include "ui/common/window_places.h"
#include "ui/main/about_box.h"
#include "ui/main/canvas_view.h"
#include "ui/main/editor.h"
#include "ui/main/file_association.h"
#include "ui/main/link_menus.h"

namespace velmora {

namespace {

constexpr int kMinimumWidth = 500;
constexpr int kMinimumHeight = 400;

// A status bar panel that asks for its given width but may shrink with the window.
class StatusPanel : public QLabel {
public:
    StatusPanel(int width, bool shrinks, Qt::Alignment alignment, QWidget* parent)
        : QLabel(parent), m_width(width), m_shrinks(shrinks) {
        setAlignment(alignment | Qt::AlignVCenter);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    // The given width, or the text's when a wider font needs more.
    QSize sizeHint() const override {
        const QSize text = QLabel::sizeHint();
        return {std::max(m_width, text.width()), text.height()};
    }
    // The first panels keep their width; the later ones give way in a narrow window.
    QSize minimumSizeHint() const override {
        return m_shrinks ? QSize(0, QLabel::minimumSizeHint().height()) : sizeHint();
    }

private:
    int m_width;
    bool m_shrinks;
};

}  // namespace

TForm1::TForm1(Editor& editor) : m_editor(editor) {
    setObjectName(Q("Form1"));
    setWindowTitle(Q(kMainCaption));
    setWindowIcon(AppIcon());
    setFont(EditorFont());

    m_programFolder = QCoreApplication::applicationDirPath();

    m_prompter = std::make_unique<ThreadSafePrompter>(editor.GetPorts().prompter);
    m_data = std::make_unique<COMMON_DATA>(*m_prompter);
    m_data->project.ProjectDb = &m_projectDb;
    m_data->project.SourceDb = &m_sourceDb;
    // Removing areas restarts the history from the current map, so that undo never brings
    // back the pixels of a deleted area.
    m_data->AreasRemoved = [this] { m_editor.History().Reset(m_data->canvas.Map); };
    m_stroke = std::make_unique<StrokeRecorder>(*m_data, m_editor.History());

    m_canvas = new CanvasView(this);
    m_canvas->setObjectName(Q("ScrollBox1"));
    m_canvas->viewport()->setObjectName(Q("Image1"));
    setCentralWidget(m_canvas);
    m_canvas->onPress = [this](const CanvasMouseEvent& e) {
        ImageMouseDown(e.buttons, e.modifiers, e.picture.x(), e.picture.y());
    };
    m_canvas->onMove = [this](const CanvasMouseEvent& e) {
        ImageMouseMove(e.buttons, e.picture.x(), e.picture.y());
    };
    m_canvas->onRelease = [this](const CanvasMouseEvent&) { ImageMouseUp(); };
    m_canvas->onBrushWheel = [this](int delta) { WheelTurned(delta); };
    m_canvas->brushWidth = [this] { return m_data->BrushSize; };
    // Leaving the picture takes the coordinates and the area out of the status bar.
    m_canvas->viewport()->installEventFilter(this);

    BuildMenus();
    BuildStatusBar();
    BuildZoomControls(findChild<QMenu*>(Q("N17")));
    BuildToolBar(findChild<QMenu*>(Q("N21")));
    // Last, once every menu holds all its items.
    AddMnemonics(*menuBar());

    // A project dropped on the window opens; a picture dropped imports.
    setAcceptDrops(true);

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(690, 512 + menuBar()->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    // Where the author left the window in the last run, else centred.
    RestoreWindowPlace(*this, kPlaceKey, pos());

    OpenOutput();
    RegisterAssociation();

    m_startTimer = new QTimer(this);
    m_startTimer->setObjectName(Q("Timer1"));
    m_startTimer->setSingleShot(true);
    m_startTimer->setInterval(1000);
    connect(m_startTimer, &QTimer::timeout, this, [this] { StartTimerFired(); });
    m_startTimer->start();
}

TForm1::~TForm1() {
    // The canvas outlives the tool modes and must not ask a destroyed one about its cursor.
    m_canvas->SetTool(nullptr);
}

void TForm1::OpenOutput() {
    // Without a device the program runs on silently; the second selector is the silent output.
    if (!InitOutput(-1, 44100, 0, nullptr, nullptr)) {
        InitOutput(-2, 44100, 0, nullptr, nullptr);
    }
    StartOutput();
}

void TForm1::RegisterAssociation() {
    if (AssociationInstalled(QCoreApplication::applicationDirPath(), DesktopDataFolders())) {
        return;
    }
    if (!RegisterFileType(UserDataHome(), QCoreApplication::applicationFilePath())) {
        Message("Проблема с записью в реестр!");
    }
}

void TForm1::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(Q("StatusBar1"));
    const std::array<std::pair<int, Qt::Alignment>, 4> panels = {{
        {200, Qt::AlignHCenter},
        {200, Qt::AlignHCenter},
        {500, Qt::AlignLeft},
        {50, Qt::AlignLeft},
    }};
    for (std::size_t i = 0; i < panels.size(); ++i) {
        auto* panel = new StatusPanel(panels[i].first, i >= 2, panels[i].second, bar);
        panel->setObjectName(Q("Panel") + QString::number(i + 1));
        bar->addWidget(panel, i + 1 == panels.size() ? 1 : 0);
        m_panels[i] = panel;
    }
}

void TForm1::BuildMenus() {
    auto add = [this](QMenu* menu, const char* name, const char* text, QKeySequence key,
                      void (TForm1::*handler)()) {
        QAction* action = menu->addAction(Q(text));
        action->setObjectName(Q(name));
        action->setShortcut(key);
        // The commands answer their keys in every window of the editor, not only here.
        action->setShortcutContext(Qt::ApplicationShortcut);
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };

    QMenu* file = menuBar()->addMenu(Q("Файл"));
    file->setObjectName(Q("N1"));
    add(file, "N2", "Новый", QKeySequence(Qt::CTRL | Qt::Key_N), &TForm1::NewClick);
    file->addSeparator();
    add(file, "N4", "Открыть", QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::OpenClick);
    m_recentMenu = file->addMenu(Q("Последние проекты"));
    m_recentMenu->setObjectName(Q("RecentProjects"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    file->addSeparator();
    add(file, "N6", "Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveClick);
    add(file, "N7", "Сохранить как", QKeySequence(), &TForm1::SaveAsClick);
    file->addSeparator();
    add(file, "N9", "Открыть изображение", QKeySequence(Qt::CTRL | Qt::Key_I),
        &TForm1::OpenPictureClick);
    file->addSeparator();
    add(file, "ImportShapes", "Импорт областей из разметки…", QKeySequence(),
        &TForm1::ImportShapesClick);
    add(file, "ExportShapes", "Экспорт контуров…", QKeySequence(), &TForm1::ExportShapesClick);
    file->addSeparator();
    add(file, "N39", "Экспорт в HTML", QKeySequence(Qt::CTRL | Qt::Key_H), &TForm1::N39Click);
    // Both exports follow these choices; the author's last choice holds in the next run.
    const auto remembered = [this, file](const char* name, const char* text, const char* key) {
        QAction* action = file->addAction(Q(text));
        action->setObjectName(Q(name));
        action->setCheckable(true);
        action->setChecked(QSettings().value(Q(key), false).toBool());
        connect(action, &QAction::toggled, this,
                [key](bool on) { QSettings().setValue(Q(key), on); });
        return action;
    };
    m_accessibleExport = remembered(
        "AccessibleExport", "Доступная страница (имена и контуры областей)", "accessibleExport");
    m_webImagesExport = remembered(
        "WebImagesExport", "Страница для телефонов и сети (изображение в нескольких размерах)",
        "webImagesExport");
    file->addSeparator();
    add(file, "N41", "Протестировать в &браузере", QKeySequence(Qt::CTRL | Qt::Key_T),
        &TForm1::N41Click);
    file->addSeparator();
    add(file, "N11", "&Выход", QKeySequence(), &TForm1::ExitClick);

    QMenu* edit = menuBar()->addMenu(Q("Редактирование"));
    edit->setObjectName(Q("N12"));
    add(edit, "N13", "Отменить", QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::UndoClick);
    QAction* redo =
        add(edit, "N14", "Повторить", QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm1::RedoClick);
    // The other redo key of desktop programs; the menu shows the first.
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    add(edit, "N16", "Очистить карту", QKeySequence(Qt::CTRL | Qt::Key_Delete),
        &TForm1::ClearMapClick);

    QMenu* view = menuBar()->addMenu(Q("Вид"));
    view->setObjectName(Q("N17"));
    m_viewGroup = new QActionGroup(this);
    m_viewGroup->setExclusive(true);
    const std::array<std::tuple<const char*, const char*, Qt::Key, ViewMode>, 3> modes = {{
        {"N18", "Исходное изображение", Qt::Key_F2, ViewMode::Picture},
        {"N19", "Изображение + маска", Qt::Key_F3, ViewMode::PictureAndMask},
        {"N20", "Изображение + текущий цвет", Qt::Key_F4, ViewMode::PictureAndCurrentArea},
    }};
    for (const auto& [name, text, key, mode] : modes) {
        QAction* action = view->addAction(Q(text));
        action->setObjectName(Q(name));
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setCheckable(true);
        action->setChecked(mode == m_viewMode);
        m_viewGroup->addAction(action);
        const ViewMode chosen = mode;
        connect(action, &QAction::triggered, this, [this, chosen] { SetViewMode(chosen); });
    }

    QMenu* tools = menuBar()->addMenu(Q("Инструменты"));
    tools->setObjectName(Q("N21"));
    add(tools, "N22", "Атрибуты", QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::AttributesClick);
    tools->addSeparator();
    add(tools, "N24", "Добавление областей", QKeySequence(Qt::CTRL | Qt::Key_D),
        &TForm1::GridClick);
    tools->addSeparator();
    add(tools, "N26", "Фоновая музыка", QKeySequence(Qt::CTRL | Qt::Key_M), &TForm1::MusicClick);
    tools->addSeparator();
    add(tools, "N68", "Объединение нескольких файлов в один", QKeySequence(Qt::CTRL | Qt::Key_B),
        &TForm1::N68Click);
    tools->addSeparator();

    QMenu* media = menuBar()->addMenu(Q("Медиа контент"));
    media->setObjectName(Q("N30"));
    QMenu* help = menuBar()->addMenu(Q("Помощь"));
    help->setObjectName(Q("N31"));
    FillLinkMenus(*media, *help, m_editor.GetPorts().shell, m_programFolder,
                  [this] { m_editor.AboutBox().exec(); });
    FillRecentMenu();
}

QStringList TForm1::RecentProjects() const {
    return QSettings().value(Q("recentProjects")).toStringList();
}

void TForm1::RememberRecentProject() {
    if (!m_data->project.ProjectOpen) {
        return;
    }
    std::vector<std::string> recent;
    for (const QString& path : RecentProjects()) {
        recent.push_back(U(path));
    }
    QStringList kept;
    for (const std::string& path : RememberRecent(recent, m_data->project.ProjectPath)) {
        kept << Q(path);
    }
    QSettings().setValue(Q("recentProjects"), kept);
}

void TForm1::FillRecentMenu() {
    m_recentMenu->clear();
    const QStringList recent = RecentProjects();
    int number = 0;
    bool missing = false;
    for (const QString& path : recent) {
        ++number;
        // Numbered as desktop programs do; a file that is gone stays listed but greyed out.
        QAction* item = m_recentMenu->addAction(Q("&") + QString::number(number % 10) + Q(" ") +
                                                QString(path).replace(Q("&"), Q("&&")));
        const bool exists = FileExists(U(path));
        item->setEnabled(exists);
        missing = missing || !exists;
        connect(item, &QAction::triggered, this, [this, path] { OpenProjectFile(U(path)); });
    }
    if (recent.isEmpty()) {
        m_recentMenu->addAction(Q("(пусто)"))->setEnabled(false);
        return;
    }
    m_recentMenu->addSeparator();
    QAction* removeMissing = m_recentMenu->addAction(Q("&Убрать отсутствующие"));
    removeMissing->setObjectName(Q("RemoveMissingProjects"));
    removeMissing->setEnabled(missing);
    connect(removeMissing, &QAction::triggered, this, [this] {
        std::vector<std::string> recent;
        for (const QString& path : RecentProjects()) {
            recent.push_back(U(path));
        }
        QStringList kept;
        for (const std::string& path : WithoutMissing(recent)) {
            kept << Q(path);
        }
        QSettings().setValue(Q("recentProjects"), kept);
        FillRecentMenu();
    });
    QAction* clear = m_recentMenu->addAction(Q("&Очистить список"));
    clear->setObjectName(Q("ClearRecentProjects"));
    connect(clear, &QAction::triggered, this, [this] {
        QSettings().remove(Q("recentProjects"));
        FillRecentMenu();
    });
}

std::string TForm1::DialogStart(bool withFileName) const {
    if (m_data->project.ProjectOpen) {
        return withFileName ? m_data->project.ProjectPath : m_data->project.ProjectFolder;
    }
    const QStringList recent = RecentProjects();
    return recent.isEmpty() ? std::string() : ExtractFolder(U(recent.constFirst()));
}

// Only local files of a kind the window takes are accepted, so the pointer shows at once
// whether a drop will do something.
static std::optional<std::string> DroppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty()) {
        return std::nullopt;
    }
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const std::string path = U(url.toLocalFile());
    return KindOfFile(path) == FileKind::Other ? std::nullopt : std::optional(path);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    const auto path = DroppedFile(event->mimeData());
    if (!path) {
        return;
    }
    event->acceptProposedAction();
    if (KindOfFile(*path) == FileKind::Project) {
        OpenProjectFile(*path);
    } else if (!m_data->project.ProjectOpen) {
        Message(msg::kNoProjectOpen);
    } else {
        ImportPictureFile(*path);
    }
}

void TForm1::SetViewMode(ViewMode mode) {
    m_viewMode = mode;
    const int index = static_cast<int>(mode);
    m_viewGroup->actions().at(index)->setChecked(true);
    if (m_data->canvas.PictureLoaded) {
        m_canvas->ShowComposition(*m_data, m_viewMode, false);
    }
}

void TForm1::UpdateView() {
    if (m_data->canvas.PictureLoaded) {
        m_canvas->ShowComposition(*m_data, m_viewMode);
    }
    // Every change of the project ends in a recomposed view: the status bar and the title
    // follow it here.
    RefreshStatusBar();
    RefreshModifiedMark();
}

void TForm1::UpdateView(const Rect& rect) {
    if (rect.Empty() || !m_data->canvas.PictureLoaded) {
        return;
    }
    if (m_canvas->ShowsComposition()) {
        m_canvas->MapChanged(rect);
        RefreshStatusBar();
        RefreshModifiedMark();
    } else {
        // Painting over the overlay preview brings the composition back.
        UpdateView();
    }
}

void TForm1::DrawOverlay() {
    const int event = m_editor.AreasWindow().CurrentEvent();
    if (event >= 0 && event < kEventCount &&
        m_data->records.Attributes[event].overlay_file_name.empty()) {
        UpdateView();
        return;
    }
    if (velmora::DrawOverlay(*m_data, event, m_viewMode, m_preview)) {
        m_canvas->ShowPreview(*m_data, m_preview);
    }
    RefreshStatusBar();
    RefreshModifiedMark();
}

void TForm1::ReleasePicture() {
    m_canvas->ShowNothing();
    RefreshStatusBar();
}

QWidget* TForm1::Image() const {
    return m_canvas->viewport();
}

void TForm1::RefreshStatusBar() {
    const StatusReadout readout = ReadStatus(*m_data, m_pointer);
    m_panels[0]->setText(Q(readout.size));
    m_panels[1]->setText(Q(readout.coordinates));
    m_panels[2]->setText(Q(readout.area));
}

void TForm1::RefreshModifiedMark() {
    setWindowModified(HasUnsavedChanges(*m_data));
}

void TForm1::ShowWritten(const QString& text) {
    statusBar()->showMessage(text, kWrittenNoteMs);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_canvas->viewport() && event->type() == QEvent::Leave) {
        m_pointer.reset();
        RefreshStatusBar();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::RecountFormSize() {
    const COMMON_DATA& data = *m_data;
    RefreshStatusBar();
    SetProjectCaption();

    // Everything above and below the picture: the menu, the tool bar, the status bar.
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height() +
                       (m_toolBar && !m_toolBar->isHidden() ? m_toolBar->sizeHint().height() : 0);
    int width = std::max(kMinimumWidth, data.canvas.Width);
    int height = std::max(kMinimumHeight, data.canvas.Height + chrome);
    // A picture larger than the screen scrolls instead of growing the window past it.
    if (QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize frame = frameGeometry().size() - geometry().size();
        width = std::max(kMinimumWidth, std::min(width, available.width() - frame.width()));
        height = std::max(kMinimumHeight, std::min(height, available.height() - frame.height()));
    }
    resize(width, height);
    // A picture larger than the window opens fitted, so that the author sees all of it.
    const int roomHeight = height - chrome;
    m_canvas->PictureReplaced(data, data.canvas.Width > width || data.canvas.Height > roomHeight);
}

void TForm1::SetProjectCaption() {
    // "[*]" is where Qt shows the modified mark while there are unsaved changes.
    setWindowTitle(Q(kCaptionPrefix) + Q(m_data->project.ProjectPath) +
                   (m_data->ViewOnly() ? Q(kViewOnlyMark) : QString()) + Q("[*]"));
    FollowEditingAllowed();
    RefreshModifiedMark();
    RefreshStatusBar();
}

void TForm1::FollowEditingAllowed() {
    const bool editable = !m_data->ViewOnly();
    for (const char* name : {"N6", "N9", "ImportShapes", "N13", "N14", "N16", "N24", "N26"}) {
        if (auto* action = findChild<QAction*>(Q(name))) {
            action->setEnabled(editable);
        }
    }
    for (QAction* tool : m_toolGroup->actions()) {
        tool->setEnabled(editable);
    }
    m_tolerance->setEnabled(editable);
    m_contiguous->setEnabled(editable);
    m_editor.AreasWindow().SetEditable(editable);
}

void TForm1::WheelTurned(int delta) {
    MoveBrush(delta);
}

void TForm1::MoveBrush(int wheelDelta) {
    m_editor.AreasWindow().MoveBrushSlider(wheelDelta);
    m_canvas->BrushChanged();
}

void TForm1::wheelEvent(QWheelEvent* event) {
    WheelTurned(event->angleDelta().y());
    QMainWindow::wheelEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (LongOperation* running = LongOperation::Current()) {
        // The operation owns the project: it stops first, and the window closes after it.
        running->RequestClose();
        running->Cancel();
        event->ignore();
        return;
    }
    try {
        FinishProject();
    } catch (const std::exception& error) {
        // The project could not be written: say why and stay open rather than lose the work.
        m_editor.GetPorts().prompter.Message(error.what());
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

bool TForm1::RunLong(const std::function<void(Progress&)>& work) {
    struct Hold {
        CanvasView& canvas;
        explicit Hold(CanvasView& view) : canvas(view) { canvas.HoldFrame(true); }
        ~Hold() { canvas.HoldFrame(false); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    } hold(*m_canvas);
    return LongOperation::Run(this, work);
}

void TForm1::Beep() {
    m_editor.GetPorts().prompter.Beep();
}

void TForm1::Message(const char* text) {
    m_editor.GetPorts().prompter.Message(text);
}

bool TForm1::AttributesVisible() const {
    return m_editor.AreasWindow().isVisible();
}

void TForm1::ShowAttributesWindow() {
    if (!AttributesVisible()) {
        m_editor.AreasWindow().show();
    }
    // The window may have grown under it with the new picture.
    m_editor.AreasWindow().StandBesideMainWindow();
}

}  // namespace velmora
