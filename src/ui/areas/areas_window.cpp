#include "ui/areas/areas_window.h"

#include <QAction>
#include <QColor>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidgetItem>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

#include "canvas/history/draw_history.h"
#include "store/area_names.h"
#include "store/area_palette.h"
#include "store/common_data.h"
#include "ui/areas/area_name_dialog.h"
#include "ui/areas/loading_scope.h"
#include "ui/common/mnemonics.h"
#include "ui/common/text.h"
#include "ui/common/window_places.h"
#include "ui/main/canvas_view.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"

namespace velmora {

namespace {

// The short event names of the copy commands, in EventKind order.
constexpr std::array<const char*, 3> kEventShortNames = {"Над областью", "Щелчок",
                                                         "Двойной щелчок"};

}  // namespace

// A window of the main window: it stays above it and never hides behind the picture.
TForm4::TForm4(Editor& editor)
    : QDialog(&editor.MainWindow()), m_editor(editor), m_ui(std::make_unique<Ui::TForm4>()) {
    m_ui->setupUi(this);
    setObjectName(Q("Form4"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);

    for (int e = 0; e < kEventCount; ++e) {
        m_ui->TabControl1->addTab(Q(EventCaption(e)));
    }
    m_ui->BitBtn1->setToolTip(Q("Можно копировать информацию только для данного типа"));
    m_ui->BitBtn2->setToolTip(Q("Можно вставить информацию только для данного типа"));
    m_ui->ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui->GroupBox1->setFixedWidth(262);
    m_ui->GroupBox2->setFixedWidth(262);
    m_ui->AreaButtons->setSpacing(3);
    m_ui->GroupBox2Layout->setContentsMargins(6, 6, 6, 6);
    m_ui->TabControl1->setExpanding(false);
    m_ui->TabControl1->setDrawBase(false);

    BuildStatusBar();
    BuildMenus();
    ConnectControls();
    ConnectEffectPages();

    // The slider starts at the session's brush size, which the main window created first.
    m_ui->TrackBar1->setValue(Data().BrushSize);
    m_ui->GroupBox1->setTitle(Q("Размер кисти: ") + QString::number(m_ui->TrackBar1->value()));

    // The author may make it larger; the described size is the smallest and the first.
    setMinimumSize(813, 525);
    resize(813, 525);

    // The tool letters (B, W, ...) work while this window has the focus too; its text fields
    // still take typed letters first.
    for (QAction* action : editor.MainWindow().ToolBar()->actions()) {
        if (!action->shortcut().isEmpty()) {
            addAction(action);
        }
    }
}

void TForm4::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        TForm1& main = m_editor.MainWindow();
        main.activateWindow();
        main.Canvas()->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm4::StandBesideMainWindow() {
    QWidget& main = m_editor.MainWindow();
    if (!isVisible() || !frameGeometry().intersects(main.frameGeometry())) {
        return;
    }
    move(PlaceBeside(main, *this));
    // Placed at the screen's right edge: the main window moves left of it.
    const QRect mainFrame = main.frameGeometry();
    if (frameGeometry().intersects(mainFrame) && frameGeometry().left() >= mainFrame.width()) {
        main.move(frameGeometry().left() - mainFrame.width(), mainFrame.top());
    }
}

TForm4::~TForm4() = default;

COMMON_DATA& TForm4::Data() {
    return m_editor.Data();
}

void TForm4::BuildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(Q("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int e = 0; e < kEventCount; ++e) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(Q("EventPanel") + QString::number(e));
        panel->setFixedWidth(250);
        panel->setAlignment(Qt::AlignCenter);
        bar->addWidget(panel);
        m_eventPanels[e] = panel;
    }
    auto* last = new QLabel(bar);
    last->setFixedWidth(50);
    bar->addWidget(last);
    layout()->addWidget(bar);
}

void TForm4::BuildMenus() {
    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName(Q("PopupMenu1"));
    m_listMenu->addAction(Q("Добавить"), this, [this] { AddClick(); });
    m_listMenu->addAction(Q("Удалить"), this, [this] { DeleteClick(); });
    m_listMenu->addAction(Q("Переименовать"), this, [this] { RenameClick(); });
    m_listMenu->addSeparator();
    m_listMenu->addAction(Q("Добавить из другого проекта"), this, [this] { ImportAddClick(); });
    m_listMenu->addAction(Q("Заменить все из другого проекта"), this,
                          [this] { ImportReplaceClick(); });
    m_listMenu->addSeparator();
    m_listMenu->addAction(Q("Очистить"), this, [this] { ClearListClick(); });
    m_listMenu->addSeparator();
    m_listMenu->addAction(Q("Обновить"), this, [this] { RefreshClick(); });

    m_tabsMenu = new QMenu(this);
    m_tabsMenu->setObjectName(Q("PopupMenu2"));
    for (int target = 0; target < kEventCount; ++target) {
        const QString caption = Q("Копировать все свойства из текущего события в событие \"") +
                                Q(kEventShortNames[target]) + Q("\"");
        m_tabsMenu->addAction(caption, this, [this, target] { CopyToEventClick(target); });
    }
    m_tabsMenu->addSeparator();
    m_tabsMenu->addAction(Q("Очистить все свойства"), this, [this] { ClearPropertiesClick(); });
    m_tabsMenu->addAction(Q("Очистить все свойства для всех событий"), this,
                          [this] { ClearEventsClick(); });
    AddMnemonics(*m_listMenu);
    AddMnemonics(*m_tabsMenu);
}

void TForm4::ConnectControls() {
    connect(m_ui->TrackBar1, &QSlider::valueChanged, this, [this](int value) {
        Data().BrushSize = value;
        m_ui->GroupBox1->setTitle(Q("Размер кисти: ") + QString::number(value));
    });
    // A choice in the list; the list's own refreshes run with its signals blocked.
    connect(m_ui->ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (HasSelection()) {
            ListBox1Click();
        }
    });
    // Del deletes and F2 or a double click renames the chosen area, as in a file manager. The
    // list takes these keys before the main window's F2 (a view mode) sees them.
    m_ui->ListBox1->installEventFilter(this);
    connect(m_ui->ListBox1, &QListWidget::itemDoubleClicked, this, [this] { RenameClick(); });
    connect(m_ui->ListBox1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_listMenu->popup(m_ui->ListBox1->viewport()->mapToGlobal(at)); });
    connect(m_ui->TabControl1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_tabsMenu->popup(m_ui->TabControl1->mapToGlobal(at)); });
    connect(m_ui->TabControl1, &QTabBar::currentChanged, this, [this](int) {
        UpdateAttributes();
        PageControl1Change();
        UpdateLinkWarning();
    });
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this,
            [this](int) { PageControl1Change(); });
    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(m_ui->Button2, &QPushButton::clicked, this, [this] { DeleteClick(); });
    connect(m_ui->Button3, &QPushButton::clicked, this, [this] { RenameClick(); });
    connect(m_ui->Button4, &QPushButton::clicked, this, [this] { ClearPropertiesClick(); });
    connect(m_ui->Button5, &QPushButton::clicked, this, [this] { ClearEventsClick(); });
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->ListBox1 &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool listKey = key->modifiers() == Qt::NoModifier &&
                             (key->key() == Qt::Key_F2 || key->key() == Qt::Key_Delete);
        if (listKey) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                key->key() == Qt::Key_F2 ? RenameClick() : DeleteClick();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::showEvent(QShowEvent* event) {
    // The first showing of a run goes where the author left it last time (or beside the main
    // window, never over the picture); later ones stay where it was, always wholly on a screen.
    if (!m_placed) {
        RestoreWindowPlace(*this, kPlaceKey, PlaceBeside(m_editor.MainWindow(), *this));
        m_placed = true;
    } else {
        KeepOnScreen(*this);
    }
    QDialog::showEvent(event);
    UpdateFieldsList();
}

void TForm4::hideEvent(QHideEvent* event) {
    RememberPlace();
    m_editor.MainWindow().Canvas()->SetEffectPreview(std::nullopt);
    QDialog::hideEvent(event);
}

void TForm4::RememberPlace() {
    if (m_placed) {
        SaveWindowPlace(*this, kPlaceKey);
    }
}

int TForm4::CurrentEvent() const {
    return std::max(0, m_ui->TabControl1->currentIndex());
}

int TForm4::ActivePage() const {
    return m_ui->PageControl1->currentIndex();
}

void TForm4::SelectRow(int row) {
    const QSignalBlocker blocker(m_ui->ListBox1);
    m_ui->ListBox1->setCurrentRow(row);
}

bool TForm4::HasSelection() const {
    return !m_ui->ListBox1->selectedItems().isEmpty();
}

QString TForm4::SelectedName() const {
    const auto selected = m_ui->ListBox1->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

void TForm4::UpdateMainView() {
    m_editor.MainWindow().UpdateView();
}

namespace {

// The area's colour as the picture shows it with the mask, so that the list and the picture can
// be matched at a glance.
QIcon AreaSwatch(int area) {
    const std::uint32_t colour = AreaPalette[static_cast<std::size_t>(area)];
    QPixmap swatch(TForm4::kSwatchSide, TForm4::kSwatchSide);
    swatch.fill(QColor(PaletteRed(colour), PaletteGreen(colour), PaletteBlue(colour)));
    QPainter frame(&swatch);
    frame.setPen(QColor(0x60, 0x60, 0x60));
    frame.drawRect(0, 0, TForm4::kSwatchSide - 1, TForm4::kSwatchSide - 1);
    return QIcon(swatch);
}

}  // namespace

void TForm4::UpdateFieldsList() {
    COMMON_DATA& data = Data();
    if (!data.project.ProjectOpen) {
        return;
    }
    data.ListAreas();
    {
        const QSignalBlocker blocker(m_ui->ListBox1);
        m_ui->ListBox1->clear();
        for (int n = 1; n <= kMaxAreas; ++n) {
            if (!data.areas.AreaNames[n].empty()) {
                m_ui->ListBox1->addItem(
                    new QListWidgetItem(AreaSwatch(n), Q(data.areas.AreaNames[n])));
            }
        }
    }
    int index = 0;
    for (int row = 0; row < m_ui->ListBox1->count(); ++row) {
        if (m_ui->ListBox1->item(row)->text() == m_pendingSelection) {
            index = row;
            break;
        }
    }
    if (m_ui->ListBox1->count() == 0) {
        UpdateAttributes();
    } else {
        SelectRow(index);
        ListBox1Click();
    }
    m_ui->GroupBox2->setTitle(Q("Список областей (") + QString::number(m_ui->ListBox1->count()) +
                              Q(")"));
}

void TForm4::ListBox1Click() {
    COMMON_DATA& data = Data();
    if (m_ui->ListBox1->count() == 0) {
        return;
    }
    if (data.records.AttributesModified) {
        data.WriteAttributes(data.records.AttributesArea);
    }
    if (!HasSelection()) {
        SelectRow(0);
    }
    const std::string name = U(SelectedName());
    for (int n = 1; n <= kMaxAreas; ++n) {
        if (data.areas.AreaNames[n] == name) {
            data.areas.CurrentArea = n;
            break;
        }
    }
    data.ReadAttributes(name);
    UpdateAttributes();
    PageControl1Change();
}

void TForm4::PageControl1Change() {
    UpdateEffectPreview();
    if (ActivePage() == 2) {
        m_editor.MainWindow().DrawOverlay();
    } else {
        m_editor.MainWindow().UpdateView();
    }
}

void TForm4::UpdateStatusBar() {
    const COMMON_DATA& data = Data();
    struct Mark {
        std::string ATTRIBUTES::*field;
        const char* text;
    };
    static constexpr std::array<Mark, 7> kMarks = {{
        {&ATTRIBUTES::message_text, "Сооб "},
        {&ATTRIBUTES::picture_file_name, "Кар "},
        {&ATTRIBUTES::overlay_file_name, "Овер "},
        {&ATTRIBUTES::copy_text, "Буф "},
        {&ATTRIBUTES::js_code, "JS "},
        {&ATTRIBUTES::sound_file_name, "Зв "},
        {&ATTRIBUTES::link, "Ссыл "},
    }};
    for (int e = 0; e < kEventCount; ++e) {
        QString text;
        if (data.areas.AreaCount != 0) {
            const ATTRIBUTES& a = data.records.Attributes[e];
            for (const Mark& mark : kMarks) {
                text += (a.*mark.field).empty() ? Q("  -  ") : Q(mark.text);
            }
            if (AreaEffectSet(a) || BackgroundEffectSet(a)) {
                text += Q("Эфф");
            }
        }
        m_eventPanels[e]->setText(text);
    }
    // The bar is rewritten after every edit of the records: the main window's title follows.
    m_editor.MainWindow().RefreshModifiedMark();
}

void TForm4::AddClick() {
    COMMON_DATA& data = Data();
    if (!data.project.ProjectOpen) {
        return;
    }
    TForm5& dialog = m_editor.AreaNameDialog();
    if (dialog.Ask(TForm5::Mode::Add) != TForm5::kConfirmed) {
        return;
    }
    // The registry keeps the name trimmed; the list selects it as kept.
    const std::string name = TrimAreaName(U(dialog.Name()));
    if (data.AddArea(name, true) != 0) {
        m_pendingSelection = Q(name);
        UpdateFieldsList();
    }
}

void TForm4::DeleteClick() {
    COMMON_DATA& data = Data();
    if (!data.project.ProjectOpen || !HasSelection()) {
        return;
    }
    const Answer answer = m_editor.GetPorts().prompter.AskSafely(
        Naming("Вы действительно хотите избавиться от выделенной области?", U(SelectedName())),
        kConfirmCaption, Buttons::YesNo);
    if (answer != Answer::Yes) {
        return;
    }
    data.DeleteArea(U(SelectedName()));
    m_pendingSelection.clear();
    UpdateFieldsList();
    UpdateMainView();
}

void TForm4::RenameClick() {
    COMMON_DATA& data = Data();
    if (!data.project.ProjectOpen || data.areas.AreaCount <= 0 || !HasSelection()) {
        return;
    }
    const QString oldName = SelectedName();
    TForm5& dialog = m_editor.AreaNameDialog();
    if (dialog.Ask(TForm5::Mode::Rename, oldName) != TForm5::kConfirmed) {
        return;
    }
    const std::string newName = TrimAreaName(U(dialog.Name()));
    if (data.RenameArea(U(oldName), newName)) {
        m_pendingSelection = Q(newName);
        UpdateFieldsList();
    }
}

void TForm4::ImportAddClick() {
    COMMON_DATA& data = Data();
    data.WritePendingAttributes();
    const auto file = m_editor.GetPorts().fileDialogs.OpenFile("Добавить из другого проекта", "",
                                                               data.project.ProjectFolder);
    if (!file) {
        return;
    }
    // A cancelled import took back what it had added.
    m_editor.MainWindow().RunLong(
        [&data, &file](Progress& progress) { data.ImportAreas(*file, progress); });
    UpdateFieldsList();
}

void TForm4::ImportReplaceClick() {
    COMMON_DATA& data = Data();
    data.WritePendingAttributes();
    const auto file = m_editor.GetPorts().fileDialogs.OpenFile("Заменить все из другого проекта",
                                                               "", data.project.ProjectFolder);
    if (!file) {
        return;
    }
    const Answer answer = m_editor.GetPorts().prompter.AskSafely(
        Naming("Вы действительно хотите заменить список областей?", *file), kConfirmCaption,
        Buttons::YesNo);
    if (answer != Answer::Yes) {
        return;
    }
    // Removing the old areas and importing the new ones is one change: should the import fail,
    // the old areas and their pixels are all still there, in the file and on screen.
    const Bitmap before = data.canvas.Map;
    const auto takeBack = [&] {
        data.RollbackChange();
        data.canvas.Map = before;
        data.ListAreas();
        m_editor.History().Reset(data.canvas.Map);
        UpdateFieldsList();
    };
    data.BeginChange();
    bool finished = false;
    try {
        finished = m_editor.MainWindow().RunLong([&data, &file](Progress& progress) {
            data.DeleteAllAreas();
            data.ImportAreas(*file, progress);
        });
        if (finished) {
            data.CommitChange();
        }
    } catch (...) {
        takeBack();
        throw;
    }
    if (!finished) {
        takeBack();
        return;
    }
    UpdateFieldsList();
}

void TForm4::ClearListClick() {
    COMMON_DATA& data = Data();
    if (!data.project.ProjectOpen || data.areas.AreaCount <= 0) {
        return;
    }
    const Answer answer = m_editor.GetPorts().prompter.AskSafely(
        "Вы действительно хотите очистить список областей?", kConfirmCaption, Buttons::YesNo);
    if (answer != Answer::Yes) {
        return;
    }
    data.DeleteAllAreas();
    UpdateFieldsList();
    UpdateMainView();
}

void TForm4::RefreshClick() {
    UpdateFieldsList();
}

void TForm4::ClearPropertiesClick() {
    Data().records.SetAttributes(CurrentEvent(), DefaultAttributes());
    ClearAttributes();
}

void TForm4::ClearEventsClick() {
    for (int event = 0; event < kEventCount; ++event) {
        Data().records.SetAttributes(event, DefaultAttributes());
    }
    ClearAttributes();
}

void TForm4::CopyToEventClick(int target) {
    COMMON_DATA& data = Data();
    // With no area selected there is nothing to copy, and nothing may be written.
    if (!data.project.ProjectOpen || !HasSelection()) {
        return;
    }
    const std::string name = U(SelectedName());
    data.WriteAttributes(name);
    if (target == CurrentEvent()) {
        m_editor.GetPorts().prompter.Message("Нельзя скопировать элементы сами в себя!");
        return;
    }
    data.CopyAttributes(name, CurrentEvent(), target);
    ListBox1Click();
}

bool TForm4::SelectAreaByName(const QString& name) {
    for (int row = 0; row < m_ui->ListBox1->count(); ++row) {
        if (m_ui->ListBox1->item(row)->text() == name) {
            SelectRow(row);
            ListBox1Click();
            const QSignalBlocker blocker(m_ui->ListBox1);
            m_ui->ListBox1->clearSelection();
            m_ui->ListBox1->item(row)->setSelected(true);
            return true;
        }
    }
    return false;
}

void TForm4::MoveBrushSlider(int wheelDelta) {
    QSlider* slider = m_ui->TrackBar1;
    slider->setValue(
        std::clamp(slider->value() + wheelDelta / 60, slider->minimum(), slider->maximum()));
}

}  // namespace velmora
