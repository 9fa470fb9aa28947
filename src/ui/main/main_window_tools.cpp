// The main window's area tools: the tool bar and its keys, and each tool's use of the core
// operations as one step of the drawing history.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

#include "canvas/map/map_ops.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "store/common_data.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"
#include "ui/main/tool_icons.h"

namespace velmora {

namespace {

struct ToolItem {
    AreaTool tool;
    const char* name;
    const char* text;
    Qt::Key key;
    const char* tip;
};

// The keys are those of desktop image editors: B brush, G bucket fill, W wand, M marquee,
// E ellipse, P polygon, O object.
const std::array<ToolItem, 7> kToolItems = {{
    {AreaTool::Brush, "BrushTool", "Кисть", Qt::Key_B,
     "Кисть: рисует текущей областью, правая кнопка стирает (B)"},
    {AreaTool::Fill, "FillTool", "Заливка", Qt::Key_G,
     "Заливка: заполняет текущей областью связную часть карты под щелчком; с Shift — и "
     "пиксели других областей (G)"},
    {AreaTool::Wand, "WandTool", "Волшебная палочка", Qt::Key_W,
     "Волшебная палочка: заполняет текущей областью пиксели изображения похожего цвета; с "
     "Shift — и пиксели других областей (W)"},
    {AreaTool::Rectangle, "RectangleTool", "Прямоугольник", Qt::Key_M,
     "Прямоугольник: протяните рамку; с Shift — поверх других областей (M)"},
    {AreaTool::Ellipse, "EllipseTool", "Эллипс", Qt::Key_E,
     "Эллипс: протяните рамку, эллипс впишется в неё; с Shift — поверх других областей (E)"},
    {AreaTool::Polygon, "PolygonTool", "Многоугольник", Qt::Key_P,
     "Многоугольник: щелчки ставят вершины, двойной щелчок или Enter замыкает и заливает, "
     "Esc отменяет; с Shift — поверх других областей (P)"},
    {AreaTool::Object, "ObjectTool", "Выделение объекта", Qt::Key_O,
     "Выделение объекта: протяните рамку вокруг предмета, и он будет отделён от фона; с "
     "Shift — поверх других областей (O)"},
}};

constexpr const char* kWandToleranceKey = "wandTolerance";

}  // namespace

void TForm1::BuildToolBar(QMenu* tools) {
    m_toolBar = new QToolBar(Q("Инструменты рисования"), this);
    m_toolBar->setObjectName(Q("AreaToolBar"));
    // Pictures only, as image editors show their tools, so that every tool stays in view in a
    // window as narrow as the smallest picture's; the names are in the tips and the menu.
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    m_toolModes[static_cast<int>(AreaTool::Fill)] =
        std::make_unique<ClickTool>(*this, *m_canvas, AreaTool::Fill);
    m_toolModes[static_cast<int>(AreaTool::Wand)] =
        std::make_unique<ClickTool>(*this, *m_canvas, AreaTool::Wand);
    for (const AreaTool box : {AreaTool::Rectangle, AreaTool::Ellipse, AreaTool::Object}) {
        m_toolModes[static_cast<int>(box)] = std::make_unique<BoxTool>(*this, *m_canvas, box);
    }
    m_toolModes[static_cast<int>(AreaTool::Polygon)] =
        std::make_unique<PolygonTool>(*this, *m_canvas);

    m_toolGroup = new QActionGroup(this);
    m_toolGroup->setExclusive(true);
    // The menu "Инструменты" ends with a separator already; the tools follow it.
    for (const ToolItem& item : kToolItems) {
        auto* action = new QAction(ToolIcon(item.tool), Q(item.text), this);
        action->setObjectName(Q(item.name));
        action->setToolTip(Q(item.tip));
        action->setStatusTip(Q(item.tip));
        // While the main window or the areas window is active (that one adds these actions);
        // text fields there take typed letters first.
        action->setShortcut(QKeySequence(item.key));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(true);
        action->setChecked(item.tool == m_currentTool);
        m_toolGroup->addAction(action);
        m_toolBar->addAction(action);
        if (tools) {
            tools->addAction(action);
        }
        const AreaTool tool = item.tool;
        connect(action, &QAction::triggered, this, [this, tool] { SelectTool(tool); });
        if (item.tool == AreaTool::Wand) {
            m_toolBar->addSeparator();
            auto* label = new QLabel(Q(" Допуск: "), m_toolBar);
            m_toolBar->addWidget(label);
            m_tolerance = new QSpinBox(m_toolBar);
            m_tolerance->setObjectName(Q("WandTolerance"));
            m_tolerance->setRange(0, 255);
            // The author's last tolerance holds in the next run.
            m_tolerance->setValue(
                QSettings().value(Q(kWandToleranceKey), kDefaultWandTolerance).toInt());
            connect(m_tolerance, &QSpinBox::valueChanged, this,
                    [](int value) { QSettings().setValue(Q(kWandToleranceKey), value); });
            m_tolerance->setToolTip(
                Q("Допуск волшебной палочки: насколько красный, зелёный и "
                  "синий могут отличаться от цвета под щелчком (0–255)"));
            label->setBuddy(m_tolerance);
            m_toolBar->addWidget(m_tolerance);
            m_contiguous = new QCheckBox(Q("смежные"), m_toolBar);
            m_contiguous->setObjectName(Q("WandContiguous"));
            m_contiguous->setChecked(true);
            m_contiguous->setToolTip(
                Q("Отмечено: только пиксели, связанные с точкой щелчка; "
                  "снято: похожие пиксели по всему изображению"));
            m_toolBar->addWidget(m_contiguous);
            m_toolBar->addSeparator();
        }
    }
}

void TForm1::SelectTool(AreaTool tool) {
    for (auto& mode : m_toolModes) {
        if (mode) {
            mode->Cancel();
        }
    }
    m_currentTool = tool;
    m_toolGroup->actions().at(static_cast<int>(tool))->setChecked(true);
    m_canvas->SetTool(m_toolModes[static_cast<int>(tool)].get());
}

bool TForm1::ReadyForTool() {
    const COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen || data.ViewOnly() || !data.canvas.PictureLoaded ||
        data.areas.AreaCount == 0 || data.areas.CurrentArea < 1 || data.areas.CurrentArea > 255) {
        Beep();
        return false;
    }
    return true;
}

void TForm1::UseAreaTool(const std::function<void(MapWriter&)>& tool, bool overwrite) {
    if (!ReadyForTool()) {
        return;
    }
    COMMON_DATA& data = *m_data;
    Rect changed;
    try {
        changed = ApplyAreaTool(data, m_editor.History(),
                                static_cast<std::uint8_t>(data.areas.CurrentArea), overwrite, tool);
    } catch (const std::exception& error) {
        // The core refuses before it writes: the map is as it was.
        Message(error.what());
        return;
    }
    if (!changed.Empty()) {
        UpdateView(changed);
    }
}

void TForm1::UseSelectingTool(const std::function<void(SpanTarget&, Progress&)>& select,
                              bool overwrite) {
    if (!ReadyForTool()) {
        return;
    }
    const Bitmap& map = m_data->canvas.Map;
    // The worker only reads the picture and the map; the map changes here, after it finished.
    ChangeMask selected(map.Width(), map.Height());
    MaskWriter target(selected, map.Width(), map.Height());
    try {
        if (!RunLong([&](Progress& progress) { select(target, progress); })) {
            return;
        }
    } catch (const std::exception& error) {
        Message(error.what());
        return;
    }
    UseAreaTool(
        [&selected](MapWriter& writer) {
            selected.ForEachRun([&writer](int y, int x0, int x1) { writer.Span(y, x0, x1); });
        },
        overwrite);
}

void TForm1::FillAt(QPoint pixel, bool overwrite) {
    if (!ReadyForTool()) {
        return;
    }
    COMMON_DATA& data = *m_data;
    if (!data.canvas.Map.Contains(pixel.x(), pixel.y())) {
        Beep();
        return;
    }
    const int held = AreaAt(data.canvas.Map, pixel.x(), pixel.y());
    if (held != 0 && !overwrite) {
        // Without overwrite the fill only writes pixels of no area: nothing would change.
        Beep();
        statusBar()->showMessage(Q("Точка принадлежит области «") + Q(data.areas.AreaNames[held]) +
                                     Q("»: заливка без Shift пишет только в пиксели вне "
                                       "областей."),
                                 kWrittenNoteMs);
        return;
    }
    const Bitmap& map = data.canvas.Map;
    UseSelectingTool(
        [&map, pixel](SpanTarget& target, Progress& progress) {
            FillRegion(target, map, pixel.x(), pixel.y(), progress);
        },
        overwrite);
}

void TForm1::WandAt(QPoint pixel, bool overwrite) {
    if (!ReadyForTool()) {
        return;
    }
    const Bitmap& picture = m_data->canvas.Picture;
    if (!picture.Contains(pixel.x(), pixel.y())) {
        Beep();
        return;
    }
    const int tolerance = m_tolerance->value();
    const bool contiguous = m_contiguous->isChecked();
    UseSelectingTool(
        [&picture, pixel, tolerance, contiguous](SpanTarget& target, Progress& progress) {
            FillSimilarColour(target, picture, pixel.x(), pixel.y(), tolerance, contiguous,
                              progress);
        },
        overwrite);
}

void TForm1::FillBox(AreaTool kind, const QRect& box, bool overwrite) {
    const std::int64_t left = box.x();
    const std::int64_t top = box.y();
    const std::int64_t width = box.width();
    const std::int64_t height = box.height();
    if (kind == AreaTool::Object) {
        const Bitmap& picture = m_data->canvas.Picture;
        UseSelectingTool(
            [&](SpanTarget& target, Progress& progress) {
                FillObject(target, picture, left, top, width, height, progress);
            },
            overwrite);
    } else if (kind == AreaTool::Ellipse) {
        UseAreaTool([&](MapWriter& writer) { FillEllipse(writer, left, top, width, height); },
                    overwrite);
    } else {
        UseAreaTool([&](MapWriter& writer) { FillRectangle(writer, left, top, width, height); },
                    overwrite);
    }
}

void TForm1::FillPolygonCorners(const std::vector<QPoint>& corners, bool overwrite) {
    ShapeRing ring;
    for (const QPoint& corner : corners) {
        ring.push_back({corner.x() + 0.5, corner.y() + 0.5});
    }
    UseAreaTool([&ring](MapWriter& writer) { FillPolygon(writer, ring); }, overwrite);
}

}  // namespace velmora
