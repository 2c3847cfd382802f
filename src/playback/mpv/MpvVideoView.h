#pragma once

#include "playback/mpv/MpvHandle.h"
#include "playback/mpv/PictureOutput.h"

#include <QOpenGLWidget>

namespace tobimaru {

/// Draws the pictures of an mpv core (vo=libmpv) into a GL widget through mpv's render API.
/// Qt composes the whole window for each of its frames, so it is the pane's picture only where
/// a native child window cannot be had: Wayland compositors do not expose a window embedded
/// in another one under Qt 6.4, and it never gets a picture there.
///
/// The render context is made with the widget's GL context and freed when that context goes
/// or the widget does, whichever comes first; the core must outlive this widget.
class MpvVideoView final : public QOpenGLWidget, public PictureOutput {
    Q_OBJECT

public:
    MpvVideoView(mpv_handle* mpv, QWidget* parent);
    ~MpvVideoView() override;

    void setBlank(bool on) override;

Q_SIGNALS:
    /// The render context was made (ok) or could not be made (!ok).
    void renderInitialized(bool ok);

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void releaseRender();
    static void onMpvUpdate(void* self);

    mpv_handle* m_mpv = nullptr;
    QMetaObject::Connection m_contextWatch;
};

} // namespace tobimaru
