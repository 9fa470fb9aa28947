#include "ui/main/merge_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "canvas/view/status_readout.h"
#include "export/page_merge.h"
#include "store/common_data.h"
#include "ui/common/dialog_frame.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/common/window_places.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

namespace {

constexpr const char* kMergeFilter = "HTML файлы (*.html)|*.html";

}  // namespace

// A window of the main window, so that it stays above it.
TForm7::TForm7(Editor& editor) : QDialog(&editor.MainWindow()), m_editor(editor) {
    SetUpFixedDialog(*this, "Form7", "Объединение нескольких HTML файлов в один", 762, 491, false);
    // Unlike the modal dialogs it may be made larger and is remembered where it was put.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setMinimumSize(762, 491);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    auto* group = new QGroupBox(Q("Список файлов"), this);
    group->setObjectName(Q("GroupBox1"));
    m_list = new QListWidget(group);
    m_list->setObjectName(Q("ListBox1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* hint = new QLabel(Q("Выберите несколько HTML файлов и нажмите кнопку [Сохранить]. В "
                              "результате вы получите объединённый HTML файл и один JS файл с "
                              "данными (не считая vlm4.js)."),
                            group);
    hint->setObjectName(Q("StaticText1"));
    hint->setWordWrap(true);
    auto* inside = new QVBoxLayout(group);
    inside->addWidget(m_list, 1);
    inside->addWidget(hint);

    m_add = MakeButton("BitBtn1", "Добавить", this);
    m_remove = MakeButton("BitBtn2", "Удалить", this);
    m_clear = MakeButton("BitBtn3", "Очистить", this);
    m_up = MakeButton("ButtonUp", "Вверх", this);
    m_down = MakeButton("ButtonDown", "Вниз", this);
    m_save = MakeButton("BitBtn4", "Сохранить", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_up);
    buttons->addWidget(m_down);
    buttons->addStretch(1);
    buttons->addWidget(m_save);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group, 1);
    column->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveClick(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { ClearClick(); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveClick(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveClick(1); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveClick(); });
}

std::vector<std::string> TForm7::Paths() const {
    std::vector<std::string> paths;
    for (int i = 0; i < m_list->count(); ++i) {
        paths.push_back(U(m_list->item(i)->text()));
    }
    return paths;
}

void TForm7::showEvent(QShowEvent* event) {
    if (!m_placed) {
        const QRect owner = m_editor.MainWindow().frameGeometry();
        RestoreWindowPlace(*this, kPlaceKey, owner.center() - rect().center());
        m_placed = true;
    } else {
        KeepOnScreen(*this);
    }
    QDialog::showEvent(event);
}

void TForm7::hideEvent(QHideEvent* event) {
    RememberPlace();
    QDialog::hideEvent(event);
}

void TForm7::RememberPlace() {
    if (m_placed) {
        SaveWindowPlace(*this, kPlaceKey);
    }
}

void TForm7::AddClick() {
    for (const std::string& path : m_editor.GetPorts().fileDialogs.OpenFiles(
             "Добавить", ToQtFilter(kMergeFilter), m_editor.Data().project.ProjectFolder)) {
        m_list->addItem(Q(path));
    }
}

void TForm7::RemoveClick() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_editor.GetPorts().prompter.Beep();
        return;
    }
    delete selected.constFirst();
}

void TForm7::ClearClick() {
    m_list->clear();
}

void TForm7::SaveClick() {
    const std::vector<std::string> paths = Paths();
    Prompter& prompter = m_editor.GetPorts().prompter;
    // Nothing to merge: no dialog at all.
    if (paths.size() < 2) {
        prompter.Beep();
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.SaveFile(
        "Сохранить", ToQtFilter(kMergeFilter), m_editor.Data().project.ProjectFolder);
    if (!chosen) {
        return;
    }
    if (MergePages(paths, *chosen, prompter) == MergeResult::Merged) {
        m_editor.MainWindow().ShowWritten(Q(kMergedPageWrittenNote) + Q(MergedPagePath(*chosen)));
    }
}

void TForm7::MoveClick(int step) {
    const int row = m_list->currentRow();
    const int target = row + step;
    if (row < 0 || m_list->selectedItems().isEmpty() || target < 0 || target >= m_list->count()) {
        m_editor.GetPorts().prompter.Beep();
        return;
    }
    QListWidgetItem* item = m_list->takeItem(row);
    m_list->insertItem(target, item);
    m_list->setCurrentRow(target);
}

}  // namespace velmora
