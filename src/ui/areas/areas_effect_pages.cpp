// The effect pages' filling: every control from the loaded record, or cleared.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>

#include "store/common_data.h"
#include "ui/areas/areas_effect_fields.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/loading_scope.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/text.h"
#include "ui_areas_window.h"

namespace velmora {

using namespace effect_pages;

void TForm4::FillPage(int page, const ATTRIBUTES& record, bool keepUnknownListText) {
    for (const ListField& list : ListFields()) {
        if (list.page == page) {
            QComboBox* box = (*m_ui).*list.control;
            const int index = box->findText(Q(record.*list.field), Qt::MatchExactly);
            if (index >= 0 || !keepUnknownListText) {
                box->setCurrentIndex(index);
            }
        }
    }
    for (const MemoField& memo : MemoFields()) {
        if (memo.page == page) {
            ((*m_ui).*memo.control)->setPlainText(ShownText(record.*memo.field));
        }
    }
    for (const LineField& line : LineFields()) {
        if (line.page == page) {
            ((*m_ui).*line.control)->setText(Q(record.*line.field));
        }
    }
    for (const NumberField& number : NumberFields()) {
        if (number.page == page) {
            ((*m_ui).*number.control)->setValue(record.*number.field);
        }
    }
    for (const ImageField& image : ImageFields()) {
        if (image.page == page) {
            ShowPicture((*m_ui).*image.control, record.*image.field);
        }
    }
    for (const SliderField& pair : SliderFields()) {
        if (pair.page == page) {
            ((*m_ui).*pair.slider)->setValue(record.*pair.field);
            ((*m_ui).*pair.number)->setValue(record.*pair.field);
        }
    }
    if (page == kSoundPage) {
        m_ui->SoundIndicator->ShowSound(
            Data().project.WorkFilePath("Sounds", record.sound_file_name), record.sound_file_name);
    }
    if (page == kEffectsPage) {
        for (const CheckField& check : CheckFields()) {
            ((*m_ui).*check.control)->setChecked(record.*check.field != 0);
        }
    }
}

void TForm4::UpdateAttributes() {
    if (m_ui->ListBox1->count() == 0) {
        ClearAttributes();
        return;
    }
    {
        const LoadingScope loading(m_loading);
        // A copy: showing a missing picture's message runs the event loop.
        const ATTRIBUTES record = Data().records.Attributes[CurrentEvent()];
        for (int page = 0; page < kPageCount; ++page) {
            FillPage(page, record, true);
        }
    }
    UpdateStatusBar();
}

void TForm4::ClearAttributes() {
    {
        const LoadingScope loading(m_loading);
        const ATTRIBUTES cleared = ClearedRecord();
        for (int page = 0; page < kPageCount; ++page) {
            FillPage(page, cleared, false);
        }
    }
    UpdateStatusBar();
    PageControl1Change();
}

}  // namespace velmora
