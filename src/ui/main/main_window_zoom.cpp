// The main window's view of the canvas: the zoom commands of the menu "Вид", the zoom in the
// status bar, the navigator and the brush keys "[" and "]".
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "canvas/view/view_zoom.h"
#include "store/common_data.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui/main/navigator_view.h"

namespace velmora {

namespace {
constexpr const char* kNavigatorKey = "navigatorVisible";
}  // namespace

void TForm1::BuildZoomControls(QMenu* view) {
    auto add = [this](QMenu* menu, const char* name, const char* text,
                      const QList<QKeySequence>& keys, auto&& handler) {
        auto* action = new QAction(Q(text), this);
        action->setObjectName(Q(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        if (menu) {
            menu->addAction(action);
        } else {
            addAction(action);
        }
        return action;
    };
    if (view) {
        view->addSeparator();
    }
    add(view, "ZoomIn", "Увеличить",
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { m_canvas->ZoomIn(); });
    add(view, "ZoomOut", "Уменьшить", {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        [this] { m_canvas->ZoomOut(); });
    add(view, "ZoomActualSize", "Масштаб 100 %", {QKeySequence(Qt::CTRL | Qt::Key_0)},
        [this] { m_canvas->SetZoomAtPointer(1); });
    add(view, "ZoomToFit", "Вписать в окно", {QKeySequence(Qt::CTRL | Qt::Key_9)},
        [this] { m_canvas->ZoomToFit(); });
    // Not in a menu: they work while the main window has the focus, not while typing elsewhere.
    add(nullptr, "BrushSmaller", "Кисть меньше", {QKeySequence(Qt::Key_BracketLeft)},
        [this] { MoveBrush(-60); });
    add(nullptr, "BrushLarger", "Кисть больше", {QKeySequence(Qt::Key_BracketRight)},
        [this] { MoveBrush(60); });

    m_navigator = new NavigatorView(*m_canvas);
    auto* dock = new QDockWidget(Q("Навигатор"), this);
    dock->setObjectName(Q("NavigatorDock"));
    dock->setWidget(m_navigator);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    // Shown or hidden as the author left it in the last run.
    dock->setVisible(QSettings().value(Q(kNavigatorKey), false).toBool());
    QAction* toggle = dock->toggleViewAction();
    // Only the author's choice counts: the dock also hides when the window closes.
    connect(toggle, &QAction::triggered, this,
            [](bool on) { QSettings().setValue(Q(kNavigatorKey), on); });
    toggle->setObjectName(Q("NavigatorAction"));
    toggle->setText(Q("Навигатор"));
    if (view) {
        view->addSeparator();
        view->addAction(toggle);
    }

    m_zoomPanel = new QLabel(statusBar());
    m_zoomPanel->setObjectName(Q("ZoomPanel"));
    m_zoomPanel->setMinimumWidth(60);
    m_zoomPanel->setAlignment(Qt::AlignCenter);
    // Beside the coordinates, after the second panel.
    statusBar()->insertWidget(2, m_zoomPanel);

    m_canvas->onViewChanged = [this] {
        ShowZoom();
        m_navigator->update();
    };
    m_canvas->onImageChanged = [this](const Rect& rect) { m_navigator->ImageChanged(rect); };
    ShowZoom();
}

void TForm1::ShowZoom() {
    m_zoomPanel->setText(m_canvas->ShowsPicture() ? Q(ZoomText(m_canvas->Zoom())) : QString());
}

}  // namespace velmora
