#include "ui/areas/sound_indicator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <cmath>
#include <map>
#include <numbers>

#include "audio/audio_output.h"
#include "store/sound_caption.h"
#include "ui/common/text.h"

namespace velmora {

namespace {

constexpr int kWidth = 496;
constexpr int kHeight = 279;

QImage DrawSoundIndicator() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, 0, kHeight);
    ground.setColorAt(0.0, QColor(12, 20, 64));
    ground.setColorAt(1.0, QColor(4, 8, 32));
    painter.fillRect(image.rect(), ground);

    // Bars of an equaliser under the waves, their heights from a fixed formula so the
    // picture is the same on every run.
    const int bars = 31;
    const double barWidth = static_cast<double>(kWidth) / bars;
    for (int i = 0; i < bars; ++i) {
        const double level = 0.25 + 0.2 * std::sin(i * 0.7) + 0.15 * std::cos(i * 1.9);
        const double height = level * kHeight * 0.6;
        QColor colour = QColor::fromHsvF(static_cast<float>(i) / bars, 0.55f, 0.35f);
        painter.fillRect(QRectF(i * barWidth + 2, kHeight - height, barWidth - 4, height), colour);
    }

    // Five sine waves in the colours of a rainbow, each a little shifted and damped at the ends.
    const double centre = kHeight / 2.0;
    for (int wave = 0; wave < 5; ++wave) {
        QPainterPath path;
        const double phase = wave * 0.6;
        const double frequency = 3.0 + wave * 0.5;
        for (int x = 0; x <= kWidth; x += 2) {
            const double t = static_cast<double>(x) / kWidth;
            const double envelope = std::sin(t * std::numbers::pi);
            const double y = centre + envelope * (80.0 - wave * 12.0) *
                                          std::sin(t * frequency * 2 * std::numbers::pi + phase);
            if (x == 0) {
                path.moveTo(x, y);
            } else {
                path.lineTo(x, y);
            }
        }
        QColor colour = QColor::fromHsvF(static_cast<float>(wave) / 5.0f, 0.8f, 1.0f);
        painter.setPen(QPen(colour, 4.0 - wave * 0.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(path);
    }
    return image;
}

}  // namespace

const QImage& SoundIndicatorImage() {
    static const QImage image = DrawSoundIndicator();
    return image;
}

SoundIndicator::SoundIndicator(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setMinimumSize(1, 1);
    hide();
}

void SoundIndicator::ShowSound(const std::string& path, const std::string& fileName) {
    // Decoding a file for its length costs time: each file is measured once per run.
    static std::map<std::string, double> lengths;
    double seconds = -1;
    if (!fileName.empty()) {
        const auto known = lengths.find(path);
        seconds = known != lengths.end() ? known->second : SoundLength(path);
        if (seconds >= 0) {
            lengths[path] = seconds;
        }
    }
    m_caption = Q(SoundCaption(fileName, seconds));
    setToolTip(m_caption);
    setVisible(!fileName.empty());
    update();
}

void SoundIndicator::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (m_caption.isEmpty()) {
        return;
    }
    QPainter painter(this);
    const int band = fontMetrics().height() + 6;
    const QRect bottom(0, height() - band, width(), band);
    painter.fillRect(bottom, QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.drawText(bottom.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(m_caption, Qt::ElideMiddle, width() - 12));
}

void SoundIndicator::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    setPixmap(QPixmap::fromImage(SoundIndicatorImage().scaled(event->size(), Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation)));
}

}  // namespace velmora
