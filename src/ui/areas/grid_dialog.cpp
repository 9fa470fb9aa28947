#include "ui/areas/grid_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "canvas/tools/area_grid.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/dialog_frame.h"
#include "ui/common/text.h"
#include "ui/main/centre_on.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

namespace {

constexpr int kDefaultColumns = 10;
constexpr int kDefaultRows = 1;
constexpr const char* kOverwriteCaption = "Заместить выделенные области";

QComboBox* MakeSideList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(Q(name));
    for (int n = 1; n <= kGridMaxSide; ++n) {
        list->addItem(QString::number(n));
    }
    return list;
}

QLabel* MakeHelp(const char* name, const QString& text, QWidget* parent) {
    auto* help = new QLabel(text, parent);
    help->setObjectName(Q(name));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return help;
}

}  // namespace

TForm8::TForm8(Editor& editor) : m_editor(editor) {
    SetUpFixedDialog(*this, "Form8", "Добавление областей", 564, 241, true);

    auto* settings = new QGroupBox(this);
    settings->setObjectName(Q("GroupBox1"));
    m_columns = MakeSideList("ComboBox1", settings);
    m_rows = MakeSideList("ComboBox2", settings);
    m_prefix = new QLineEdit(settings);
    m_prefix->setObjectName(Q("Edit1"));
    m_overwrite = new QCheckBox(Q(kOverwriteCaption), settings);
    m_overwrite->setObjectName(Q("CheckBox1"));
    auto* form = new QFormLayout(settings);
    form->addRow(Q("Столбцов"), m_columns);
    form->addRow(Q("Строк"), m_rows);
    form->addRow(Q("Начало названия поля"), m_prefix);
    form->addRow(m_overwrite);

    auto* help = new QVBoxLayout;
    help->addWidget(MakeHelp("StaticText1",
                             Q("С помощью этого инструмента легко создать диалог между "
                               "персонажами на изображении. Выберите необходимое количество "
                               "областей и для каждой области задайте свою часть диалога. "),
                             this));
    help->addWidget(
        MakeHelp("StaticText2",
                 Q("Если кроме диалогов ничего не будет, то можно включить галочку \"") +
                     Q(kOverwriteCaption) +
                     Q("\". Иначе остальные (уже существующие) выделенные области "
                       "так же будут активны."),
                 this));
    help->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(settings, 1);
    top->addLayout(help, 1);

    m_ok = new QPushButton(Q("OK"), this);
    m_ok->setObjectName(Q("Button1"));
    m_ok->setDefault(true);
    m_cancel = MakeButton("Button2", "Отмена", this);
    m_defaults = MakeButton("Button3", "Значения по умолчанию", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_defaults);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top, 1);
    column->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_defaults, &QPushButton::clicked, this, [this] { DefaultsClick(); });

    DefaultsClick();
}

void TForm8::showEvent(QShowEvent* event) {
    CentreOn(*this, m_editor.MainWindow());
    QDialog::showEvent(event);
}

void TForm8::DefaultsClick() {
    m_columns->setCurrentIndex(kDefaultColumns - 1);
    m_rows->setCurrentIndex(kDefaultRows - 1);
    m_prefix->setText(Q(kGridDefaultPrefix));
    m_overwrite->setChecked(false);
}

void TForm8::OkClick() {
    GridRequest request;
    request.columns = m_columns->currentIndex() + 1;
    request.rows = m_rows->currentIndex() + 1;
    request.prefix = U(m_prefix->text());
    request.overwrite = m_overwrite->isChecked();
    // Over the limit the message has been shown and the dialog stays open for another choice.
    GridResult result;
    // A cancelled grid changed nothing, and the dialog stays open as after the limit.
    if (!m_editor.MainWindow().RunLong([&](Progress& progress) {
            result = AddAreaGrid(m_editor.Data(), m_editor.History(), request, progress);
        }) ||
        !result.done) {
        return;
    }
    m_editor.AreasWindow().UpdateFieldsList();
    m_editor.MainWindow().UpdateView();
    accept();
}

}  // namespace velmora
