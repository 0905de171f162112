// The animation control: plays an AVI clip (see AviClip.h) in a child window, frame by frame at the
// clip's frame time, repeating. It is driven through its members or through the common control's
// messages sent to its handle (ACM_OPENA with a module and a resource identifier of type "AVI", or a file
// path; ACM_PLAY; ACM_STOP). With AutoPlay on, opening a clip starts it repeating for ever.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/win32types.h"
#include "ui/AviClip.h"
#include "ui/messages.h"

constexpr UINT ACM_OPENA = 0x0464;
constexpr UINT ACM_PLAY = 0x0465;
constexpr UINT ACM_STOP = 0x0466;

namespace velmora {

class AnimationControl : public QWidget, public WindowMessageTarget {
    Q_OBJECT

  public:
    explicit AnimationControl(QWidget* parent = nullptr);

    bool AutoPlay() const noexcept { return m_autoPlay; }
    void setAutoPlay(bool autoPlay);

    // Opens a clip from memory, a file or a module's "AVI" resource; false (and no clip) when it cannot
    // be read or played. With AutoPlay on, playing starts at once.
    bool openData(std::span<const std::uint8_t> clip);
    bool Open(const std::string& fileName);
    bool openResource(HMODULE module, int id);
    void Close();

    // Plays frames from..to (inclusive, -1: the last) repeat times (-1: for ever).
    bool Play(int repeat = -1, int from = 0, int to = -1);
    void Stop();

    bool isOpen() const noexcept { return m_clip.has_value(); }
    bool isPlaying() const noexcept { return m_timer.isActive(); }
    const AviClip* clip() const noexcept { return m_clip ? &*m_clip : nullptr; }
    // The frame on show and its picture (null without a clip).
    int currentFrame() const noexcept { return m_frame; }
    const QImage& picture() const noexcept { return m_picture; }
    // Milliseconds between frames while playing.
    int frameInterval() const noexcept { return m_timer.interval(); }

    LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // ACM_OPENA's lParam is a resource identifier or a file name.
    MessageParameters parametersOf(UINT message) const override;

  Q_SIGNALS:
    void frameShown(int frame);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool adopt(std::optional<AviClip> clip);
    void show(int frame);
    void step();

    std::optional<AviClip> m_clip;
    std::vector<std::uint32_t> m_pixels;
    QImage m_picture;
    QTimer m_timer;
    bool m_autoPlay = false;
    int m_frame = -1;
    int m_from = 0;
    int m_to = 0;
    int m_repeatsLeft = -1;
};

}  // namespace velmora
