// The effect pages of the areas window: filling and clearing their controls from the loaded
// records, storing edits, and the coordinate entry from the main window.
#include <QSpinBox>

#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/loading_scope.h"
#include "ui/main/editor.h"
#include "ui_areas_window.h"

namespace velmora {

namespace {

// A number field of the pages and the record field it edits.
struct NumberField {
    QSpinBox* Ui::TForm4::*control;
    std::int32_t ATTRIBUTES::*field;
    // Whether a change redraws the overlay preview.
    bool refreshesPreview;
};

const std::array<NumberField, 10>& NumberFields() {
    static const std::array<NumberField, 10> fields = {{
        {&Ui::TForm4::MessageCenterX, &ATTRIBUTES::message_center_x, false},
        {&Ui::TForm4::MessageCenterY, &ATTRIBUTES::message_center_y, false},
        {&Ui::TForm4::MessagePointerX, &ATTRIBUTES::message_pointer_x, false},
        {&Ui::TForm4::MessagePointerY, &ATTRIBUTES::message_pointer_y, false},
        {&Ui::TForm4::PictureCenterX, &ATTRIBUTES::picture_center_x, false},
        {&Ui::TForm4::PictureCenterY, &ATTRIBUTES::picture_center_y, false},
        {&Ui::TForm4::PicturePointerX, &ATTRIBUTES::picture_pointer_x, false},
        {&Ui::TForm4::PicturePointerY, &ATTRIBUTES::picture_pointer_y, false},
        {&Ui::TForm4::OverlayX, &ATTRIBUTES::overlay_x, true},
        {&Ui::TForm4::OverlayY, &ATTRIBUTES::overlay_y, true},
    }};
    return fields;
}

}  // namespace

void TForm4::ConnectEffectPages() {
    for (const NumberField& number : NumberFields()) {
        QSpinBox* box = (*m_ui).*number.control;
        connect(box, &QSpinBox::valueChanged, this, [this, number](int value) {
            if (m_loading || !HasSelection()) {
                return;
            }
            StoreNumber(number.field, value);
            if (number.refreshesPreview) {
                PageControl1Change();
            }
        });
    }
}

void TForm4::StoreNumber(std::int32_t ATTRIBUTES::*field, int value) {
    COMMON_DATA& data = Data();
    data.Attributes[CurrentEvent()].*field = value;
    data.AttributesModified = true;
}

void TForm4::UpdateAttributes() {
    if (m_ui->ListBox1->count() == 0) {
        ClearAttributes();
        return;
    }
    {
        const LoadingScope loading(m_loading);
        const ATTRIBUTES& record = Data().Attributes[CurrentEvent()];
        for (const NumberField& number : NumberFields()) {
            ((*m_ui).*number.control)->setValue(record.*number.field);
        }
    }
    UpdateStatusBar();
}

void TForm4::ClearAttributes() {
    {
        const LoadingScope loading(m_loading);
        for (const NumberField& number : NumberFields()) {
            ((*m_ui).*number.control)->setValue(0);
        }
    }
    UpdateStatusBar();
    PageControl1Change();
}

bool TForm4::EnterCoordinates(Qt::MouseButton button, int x, int y) {
    QSpinBox* fieldX = nullptr;
    QSpinBox* fieldY = nullptr;
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    switch (ActivePage()) {
        case 0:
            fieldX = left ? m_ui->MessageCenterX : right ? m_ui->MessagePointerX : nullptr;
            fieldY = left ? m_ui->MessageCenterY : right ? m_ui->MessagePointerY : nullptr;
            break;
        case 1:
            fieldX = left ? m_ui->PictureCenterX : right ? m_ui->PicturePointerX : nullptr;
            fieldY = left ? m_ui->PictureCenterY : right ? m_ui->PicturePointerY : nullptr;
            break;
        case 2:
            fieldX = left ? m_ui->OverlayX : nullptr;
            fieldY = left ? m_ui->OverlayY : nullptr;
            break;
        default:
            break;
    }
    if (!fieldX || !fieldY) {
        return false;
    }
    fieldX->setValue(x);
    fieldY->setValue(y);
    return true;
}

}  // namespace velmora
