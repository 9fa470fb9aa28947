#include "ui/main/editor.h"

#include "ui/areas/area_name_dialog.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/grid_dialog.h"
#include "ui/areas/music_dialog.h"
#include "ui/common/window_places.h"
#include "ui/main/about_box.h"
#include "ui/main/main_window.h"
#include "ui/main/merge_window.h"

namespace velmora {

Editor::Editor(const Ports& ports, DRAW_HISTORY& history, const QStringList& arguments)
    : m_ports(ports), m_history(history), m_arguments(arguments) {
    // The main window comes first: it creates COMMON_DATA, whose brush size the areas window
    // copies into its slider.
    m_form1 = std::make_unique<TForm1>(*this);
    m_form4 = std::make_unique<TForm4>(*this);
    m_form5 = std::make_unique<TForm5>();
    m_form5->SetOwner(m_form4.get());
    m_aboutBox = std::make_unique<TAboutBox>(*this);
    m_form6 = std::make_unique<TForm6>(*this);
    m_form7 = std::make_unique<TForm7>(*this);
    m_form8 = std::make_unique<TForm8>(*this);
}

Editor::~Editor() {
    // Windows still open at the end keep their places for the next run.
    SaveWindowPlace(*m_form1, TForm1::kPlaceKey);
    if (m_form4->isVisible()) {
        m_form4->RememberPlace();
    }
    if (m_form7->isVisible()) {
        m_form7->RememberPlace();
    }
}

COMMON_DATA& Editor::Data() {
    return m_form1->Data();
}

}  // namespace velmora
