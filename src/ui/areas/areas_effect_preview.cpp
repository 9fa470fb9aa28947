// The effects page's preview: the picture as the page shows it while the event's effects run.
#include <QCheckBox>

#include "canvas/view/pixel_effect.h"
#include "store/common_data.h"
#include "ui/areas/areas_effect_fields.h"
#include "ui/areas/areas_window.h"
#include "ui/main/canvas_view.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"

namespace velmora {

void TForm4::UpdateEffectPreview() {
    const COMMON_DATA& data = Data();
    const int area = data.areas.CurrentArea;
    const bool shown = m_ui->EffectPreview->isChecked() && isVisible() &&
                       ActivePage() == effect_pages::kEffectsPage && HasSelection() && area >= 1 &&
                       area <= kMaxAreas;
    std::optional<EffectPreview> effects;
    if (shown) {
        effects = PreviewOf(data.records.Attributes[CurrentEvent()], area);
    }
    m_editor.MainWindow().Canvas()->SetEffectPreview(std::move(effects));
}

}  // namespace velmora
