// The effect pages' page-wise copy, paste and clear through the project's attributes clipboard.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>

#include "store/common_data.h"
#include "ui/areas/areas_effect_fields.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/loading_scope.h"
#include "ui/common/text.h"
#include "ui_areas_window.h"

namespace velmora {

using namespace effect_pages;

void TForm4::PageClearClick() {
    const int page = ActivePage();
    COMMON_DATA& data = Data();
    ATTRIBUTES record = data.records.Attributes[CurrentEvent()];
    CopyPageFields(page, ClearedRecord(), record);
    data.records.SetAttributes(CurrentEvent(), record);
    {
        const LoadingScope loading(m_loading);
        FillPage(page, data.records.Attributes[CurrentEvent()], false);
    }
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::PageCopyClick() {
    COMMON_DATA& data = Data();
    ATTRIBUTES& clipboard = data.records.AttributesClipboard;
    const ATTRIBUTES& record = data.records.Attributes[CurrentEvent()];
    switch (ActivePage()) {
        case 0:
            clipboard.message_style = U(m_ui->MessageStyle->currentText());
            clipboard.message_type = U(m_ui->MessageType->currentText());
            clipboard.message_text = StoredText(m_ui->MessageText->toPlainText());
            clipboard.message_center_x = m_ui->MessageCenterX->value();
            clipboard.message_center_y = m_ui->MessageCenterY->value();
            clipboard.message_pointer_x = m_ui->MessagePointerX->value();
            clipboard.message_pointer_y = m_ui->MessagePointerY->value();
            break;
        case 1:
            clipboard.picture_style = U(m_ui->PictureStyle->currentText());
            clipboard.picture_type = U(m_ui->PictureType->currentText());
            clipboard.picture_file_name = record.picture_file_name;
            clipboard.picture_center_x = m_ui->PictureCenterX->value();
            clipboard.picture_center_y = m_ui->PictureCenterY->value();
            clipboard.picture_pointer_x = m_ui->PicturePointerX->value();
            clipboard.picture_pointer_y = m_ui->PicturePointerY->value();
            break;
        case kOverlayPage:
            clipboard.overlay_file_name = record.overlay_file_name;
            clipboard.overlay_x = m_ui->OverlayX->value();
            clipboard.overlay_y = m_ui->OverlayY->value();
            break;
        case 3:
            clipboard.copy_text = StoredText(m_ui->CopyText->toPlainText());
            break;
        case 4:
            clipboard.js_code = U(m_ui->JsCode->text());
            break;
        case kSoundPage:
            clipboard.sound_file_name = record.sound_file_name;
            clipboard.sound_volume = m_ui->SoundVolume->value();
            break;
        case 6:
            clipboard.link = U(m_ui->LinkUrl->text());
            break;
        case kEffectsPage:
            for (auto field : kEffectFields) {
                clipboard.*field = record.*field;
            }
            break;
        default:
            break;
    }
}

void TForm4::PagePasteClick() {
    COMMON_DATA& data = Data();
    const int page = ActivePage();
    ATTRIBUTES record = data.records.Attributes[CurrentEvent()];
    CopyPageFields(page, data.records.AttributesClipboard, record);
    data.records.SetAttributes(CurrentEvent(), record);
    {
        // A pasted list text that names no item leaves the list without a choice, while the
        // record keeps the text.
        const LoadingScope loading(m_loading);
        FillPage(page, record, false);
    }
    UpdateStatusBar();
    PageControl1Change();
}

}  // namespace velmora
