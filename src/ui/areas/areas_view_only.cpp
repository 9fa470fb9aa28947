// The areas window for a project open for viewing: the areas and their effects stay readable,
// nothing that would change them is offered.
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui_areas_window.h"

namespace velmora {

void TForm4::SetEditable(bool editable) {
    m_editable = editable;
    // Fields keep showing their values (texts can still be selected and copied).
    for (auto* field : m_ui->PageControl1->findChildren<QAbstractSpinBox*>()) {
        field->setReadOnly(!editable);
    }
    for (auto* field : m_ui->PageControl1->findChildren<QLineEdit*>()) {
        // A spin box's own line edit follows its box.
        if (!qobject_cast<QAbstractSpinBox*>(field->parentWidget())) {
            field->setReadOnly(!editable);
        }
    }
    for (auto* field : m_ui->PageControl1->findChildren<QPlainTextEdit*>()) {
        field->setReadOnly(!editable);
    }
    for (auto* list : m_ui->PageControl1->findChildren<QComboBox*>()) {
        list->setEnabled(editable);
    }
    for (auto* slider : m_ui->PageControl1->findChildren<QSlider*>()) {
        slider->setEnabled(editable);
    }
    for (auto* check : m_ui->PageControl1->findChildren<QCheckBox*>()) {
        // The preview switch only looks; it stays usable.
        if (check->objectName() != Q(kPreviewSwitchName)) {
            check->setEnabled(editable);
        }
    }
    for (QPushButton* button :
         {m_ui->Button1, m_ui->Button2, m_ui->Button3, m_ui->Button4, m_ui->Button5, m_ui->BitBtn2,
          m_ui->BitBtn3, m_ui->SoundChoose, m_ui->LinkPaste, m_ui->LinkDelete}) {
        button->setEnabled(editable);
    }
    // "Обновить" only reads the list again.
    const QList<QAction*> listActions = m_listMenu->actions();
    for (QAction* action : listActions) {
        action->setEnabled(editable || action == listActions.constLast());
    }
    for (QAction* action : m_tabsMenu->actions()) {
        action->setEnabled(editable);
    }
}

}  // namespace velmora
