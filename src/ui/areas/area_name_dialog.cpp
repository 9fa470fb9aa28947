#include "ui/areas/area_name_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/dialog_frame.h"
#include "ui/common/text.h"

namespace velmora {

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(Q("Form5"));
    setWindowTitle(Q("Добавление области"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* group = new QGroupBox(Q("Название области"), this);
    group->setObjectName(Q("GroupBox1"));
    m_edit = new QLineEdit(group);
    m_edit->setObjectName(Q("Edit1"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_edit);

    m_add = MakeButton("Button1", "Добавить", this);
    m_rename = MakeButton("Button2", "Переименовать", this);
    m_close = MakeButton("Button3", "Закрыть", this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(m_rename);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(308, 112);

    connect(m_add, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_rename, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_close, &QPushButton::clicked, this, [this] { reject(); });
    // Enter confirms whichever of the two buttons the mode shows.
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        if (!m_add->isHidden() || !m_rename->isHidden()) {
            Confirm();
        }
    });
}

void TForm5::Prepare(Mode mode, const QString& oldName) {
    setWindowTitle(mode == Mode::Add ? Q("Добавление области") : Q("Переименование области"));
    m_add->setHidden(mode != Mode::Add);
    m_rename->setHidden(mode != Mode::Rename);
    if (mode == Mode::Rename) {
        m_edit->setText(oldName);
    }
    m_result = kNotConfirmed;
}

int TForm5::Ask(Mode mode, const QString& oldName) {
    Prepare(mode, oldName);
    if (m_owner) {
        const QRect owner = m_owner->frameGeometry();
        move(owner.center() - rect().center());
    }
    m_edit->setFocus();
    exec();
    return m_result;
}

QString TForm5::Name() const {
    return m_edit->text();
}

void TForm5::Confirm() {
    m_result = kConfirmed;
    accept();
}

}  // namespace velmora
