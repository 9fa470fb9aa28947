// The main window's shape commands of the menu "Файл": areas made of the shapes of an image
// map, an SVG or a JSON file, and the areas' traced outlines written in one of those formats.

#include <optional>

#include "canvas/map/outline_trace.h"
#include "shapes/outline_text.h"
#include "shapes/shape_file.h"
#include "shapes/shape_import.h"
#include "store/common_data.h"
#include "store/files.h"
#include "ui/areas/areas_window.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

namespace {

constexpr const char* kShapeFileFilter =
    "Разметка (*.html;*.htm;*.svg;*.json)|*.html;*.htm;*.svg;*.json|Все файлы (*.*)|*.*";
constexpr const char* kOutlineFilter =
    "HTML (*.html)|*.html|SVG (*.svg)|*.svg|JSON (*.json)|*.json";

}  // namespace

void TForm1::ImportShapesClick() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen || !data.canvas.PictureLoaded) {
        Beep();
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Импорт областей из разметки", ToQtFilter(kShapeFileFilter), DialogStart());
    if (!chosen) {
        return;
    }
    ShapeFileContents contents;
    try {
        // The whole file is read and checked before the project changes.
        if (!RunLong([&](Progress&) {
                contents = ReadShapeFile(*chosen, data.canvas.Width, data.canvas.Height);
            })) {
            return;
        }
    } catch (const std::exception& error) {
        Message(error.what());
        return;
    }
    ShapeImportResult result;
    if (!RunLong([&](Progress& progress) {
            result =
                ImportShapes(data, m_editor.History(), contents, kDefaultShapePrefix, progress);
        })) {
        return;
    }
    if (!result.newAreas.empty()) {
        m_editor.AreasWindow().UpdateFieldsList();
    }
    UpdateView();
    ShowWritten(Q("Добавлено областей: ") + QString::number(result.newAreas.size()));
}

void TForm1::ExportShapesClick() {
    const COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen || !data.canvas.PictureLoaded) {
        Beep();
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.SaveFile(
        "Экспорт контуров", ToQtFilter(kOutlineFilter), DialogStart());
    if (!chosen) {
        return;
    }
    // A name that names no format becomes an image map.
    const std::optional<ShapeFormat> named = ShapeFormatOfPath(*chosen);
    const ShapeFormat format = named.value_or(ShapeFormat::Html);
    const std::string path = named ? *chosen : *chosen + ShapeFormatExtension(format);
    // The dialog leaves the question about an existing file to the command.
    if (FileExists(path) &&
        m_editor.GetPorts().prompter.AskSafely(Naming("Файл существует. Перезаписать?", path),
                                               kConfirmCaption, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    try {
        std::string text;
        // Cancelled, nothing is written.
        if (!RunLong([&](Progress& progress) {
                text = WriteOutlines(TraceOutlinesWithin(data.canvas.Map, kDefaultOutlineTolerance,
                                                         data.areas.AreaNames, false,
                                                         kMaxOutlineTextBytes, progress),
                                     data.areas.AreaNames, data.canvas.Width, data.canvas.Height,
                                     format);
            })) {
            return;
        }
        WriteFileAtomically(path, text);
    } catch (const std::exception& error) {
        Message(error.what());
        return;
    }
    ShowWritten(Q("Контуры записаны: ") + Q(path));
}

}  // namespace velmora
