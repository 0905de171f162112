#include "ui/AnimationControl.h"

#include <QPainter>
#include <fstream>
#include <iterator>

#include "ui/WindowHandles.h"
#include "ui/resources.h"
#include "ui/timers.h"

namespace velmora {

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
}

void AnimationControl::setAutoPlay(bool autoPlay) {
    m_autoPlay = autoPlay;
    if (autoPlay && isOpen() && !isPlaying()) Play();
}

bool AnimationControl::openData(std::span<const std::uint8_t> clip) {
    return adopt(AviClip::parse(clip));
}

bool AnimationControl::Open(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        Close();
        return false;
    }
    const std::vector<std::uint8_t> clip{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    return openData(clip);
}

bool AnimationControl::openResource(HMODULE module, int id) {
    const auto clip = findModuleResource(module, "AVI", id);
    if (!clip) {
        Close();
        return false;
    }
    return openData(*clip);
}

bool AnimationControl::adopt(std::optional<AviClip> clip) {
    Close();
    if (!clip) return false;
    m_clip = std::move(clip);
    show(0);
    if (m_autoPlay) Play();
    return true;
}

void AnimationControl::Close() {
    m_timer.stop();
    m_clip.reset();
    m_pixels.clear();
    m_picture = QImage();
    m_frame = -1;
    update();
}

bool AnimationControl::Play(int repeat, int from, int to) {
    if (!m_clip || repeat == 0) return false;
    const int last = static_cast<int>(m_clip->frameCount()) - 1;
    if (to < 0 || to > last) to = last;
    if (from < 0 || from > to) return false;
    m_from = from;
    m_to = to;
    m_repeatsLeft = repeat;
    // Frame times are whole microseconds; the timer counts milliseconds, at least one.
    m_timer.start(std::max<int>(1, static_cast<int>((m_clip->microSecPerFrame() + 500) / 1000)));
    show(from);
    return true;
}

void AnimationControl::Stop() {
    m_timer.stop();
}

void AnimationControl::step() {
    if (!m_clip) return;
    if (m_frame < m_to) {
        show(m_frame + 1);
        return;
    }
    if (m_repeatsLeft > 0 && --m_repeatsLeft == 0) {
        m_timer.stop();
        return;
    }
    show(m_from);
}

void AnimationControl::show(int frame) {
    // Run-length frames draw over their predecessor: jumping back or ahead replays from the start.
    const int start = frame > m_frame && m_frame >= 0 ? m_frame + 1 : 0;
    if (start == 0) m_pixels.clear();
    for (int i = start; i <= frame; ++i) m_clip->decodeFrame(static_cast<std::size_t>(i), m_pixels);
    m_frame = frame;
    m_picture = QImage(reinterpret_cast<const uchar*>(m_pixels.data()), m_clip->width(), m_clip->height(),
                       m_clip->width() * 4, QImage::Format_ARGB32)
                    .copy();
    update();
    Q_EMIT frameShown(frame);
}

void AnimationControl::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

MessageParameters AnimationControl::parametersOf(UINT message) const {
    MessageParameters parameters;
    if (message == ACM_OPENA) parameters.lParam = MessageParameter::ResourceText;
    return parameters;
}

LRESULT AnimationControl::windowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case ACM_OPENA:
            if (lParam == 0) {
                Close();
                return TRUE;
            }
            if (IS_INTRESOURCE(lParam))
                return openResource(reinterpret_cast<HMODULE>(wParam), static_cast<int>(lParam)) ? TRUE
                                                                                                 : FALSE;
            return Open(reinterpret_cast<const char*>(lParam)) ? TRUE : FALSE;
        case ACM_PLAY: {
            // wParam: repeat count; lParam: first frame in the low word, last in the high (0xFFFF: the end).
            const int repeat = static_cast<int>(static_cast<std::int32_t>(wParam));
            const int from = static_cast<int>(lParam & 0xFFFF);
            const int to = static_cast<int>((lParam >> 16) & 0xFFFF);
            return Play(repeat, from, to == 0xFFFF ? -1 : to) ? TRUE : FALSE;
        }
        case ACM_STOP:
            Stop();
            return TRUE;
        default:
            return 0;
    }
}

}  // namespace velmora
