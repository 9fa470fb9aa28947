#include "ui/main/about_box.h"

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "ui/common/dialog_frame.h"
#include "ui/common/text.h"
#include "ui/main/about_pictures.h"
#include "ui/main/centre_on.h"
#include "ui/main/editor.h"
#include "ui/main/link_table.h"
#include "ui/main/main_window.h"

namespace velmora {

namespace {

// Where the pictures stand inside the panel, and their size; the timer measures from the
// window's outer corner with these same offsets.
constexpr int kPictureLeft = 5;
constexpr int kPictureTop = 16;
constexpr int kPictureSide = 100;

QLabel* MakeLabel(const char* name, const QString& text, int left, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(Q(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

// -1, 0 or 1: before, inside or after the span [start, start + length).
int Side(int value, int start, int length) {
    if (value < start) {
        return -1;
    }
    return value < start + length ? 0 : 1;
}

}  // namespace

TAboutBox::TAboutBox(Editor& editor) : m_editor(editor) {
    SetUpFixedDialog(*this, "AboutBox", "О программе", 325, 242, true);

    // Raised inner and lowered outer bevel.
    auto* outer = new QFrame(this);
    outer->setObjectName(Q("Panel1"));
    outer->setGeometry(8, 8, 309, 195);
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outer->setLineWidth(1);
    auto* panel = new QFrame(outer);
    panel->setGeometry(1, 1, 307, 193);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);

    for (int i = 0; i < 9; ++i) {
        auto* image = new QLabel(panel);
        image->setObjectName(Q("Image") + QString::number(i + 1));
        image->setGeometry(kPictureLeft, kPictureTop, kPictureSide, kPictureSide);
        image->setAttribute(Qt::WA_TranslucentBackground);
        image->setPixmap(AboutFigure(i % 3 - 1, i / 3 - 1));
        image->hide();
        m_images[i] = image;
    }

    QLabel* product = MakeLabel("ProductName", Q("Velmora Editor"), 110, 21, panel);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    product->setFont(big);
    product->adjustSize();
    MakeLabel("Version", Q("Версия 4.0"), 111, 51, panel);
    MakeLabel("Copyright", Q(kMakerLine), 5, 130, panel);

    m_comments = MakeLabel("Comments", Q(MakerSiteAddress()), 5, 149, panel);
    m_comments->setWordWrap(true);
    m_comments->setFixedWidth(295);
    m_comments->setCursor(Qt::PointingHandCursor);
    QPalette link = m_comments->palette();
    link.setColor(QPalette::WindowText, QColor(0, 0, 204));
    m_comments->setPalette(link);
    QFont underlined = m_comments->font();
    underlined.setUnderline(true);
    m_comments->setFont(underlined);
    m_comments->installEventFilter(this);

    m_ok = new QPushButton(Q("OK"), this);
    m_ok->setObjectName(Q("OKButton"));
    m_ok->setGeometry(120, 209, 75, 25);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });

    // It runs for the whole life of the program, shown or not.
    m_timer = new QTimer(this);
    m_timer->setObjectName(Q("Timer1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { Timer1Timer(); });
    m_timer->start();
}

void TAboutBox::showEvent(QShowEvent* event) {
    CentreOn(*this, m_editor.MainWindow());
    QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_comments && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        CommentsClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::CommentsClick() {
    m_editor.GetPorts().shell.Open(MakerSiteAddress());
}

int TAboutBox::PictureFor(QPoint pointer, QPoint corner) {
    const int column = Side(pointer.x(), corner.x() + kPictureLeft, kPictureSide);
    const int row = Side(pointer.y(), corner.y() + kPictureTop, kPictureSide);
    return (row + 1) * 3 + (column + 1) + 1;
}

void TAboutBox::Timer1Timer() {
    ShowPictureFor(QCursor::pos());
}

void TAboutBox::ShowPictureFor(QPoint pointer) {
    const int shown = PictureFor(pointer, frameGeometry().topLeft());
    for (int i = 0; i < 9; ++i) {
        m_images[i]->setVisible(i + 1 == shown);
    }
}

int TAboutBox::ShownPicture() const {
    for (int i = 0; i < 9; ++i) {
        if (!m_images[i]->isHidden()) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace velmora
