#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>

class Player;
class MWMpvPlayer;
struct mpv_render_context;

// The video surface: the player's current frame, aspect-fitted and centred on
// black, following the widget's size at once (no animation). Repaints only
// draw the frame again; nothing here ever reloads or restarts the video.
//
// Two ways to draw it. Through OpenGL where a graphics card does the work.
// Without one (no render node, or a software OpenGL forced), libmpv scales the
// frame into memory and it is painted like any other widget: software OpenGL
// would cost more for the same picture, and a single OpenGL widget makes Qt
// compose the whole window through OpenGL on every update of any control.
class MWPlayerSurface : public QWidget {
    Q_OBJECT
public:
    enum class Output { software, openGL };
    // The machine's choice: CW_VIDEO_OUTPUT=software|opengl decides when set,
    // else OpenGL only with a render node (/dev/dri/renderD*) and without
    // LIBGL_ALWAYS_SOFTWARE.
    static Output preferredOutput();

    explicit MWPlayerSurface(QWidget* parent = nullptr, Output output = preferredOutput());
    ~MWPlayerSurface() override;

    Output output() const { return output_; }
    // The store's player. Setting the player already shown changes nothing; a
    // player that is not on libmpv (or has no video output) shows black.
    void setPlayer(Player* player);
    Player* player() const;
    // What the surface shows now, at its size in device pixels.
    QImage grabFrame();

signals:
    // A new frame of the player reached the widget; also drawn once after
    // every load or seek has arrived, so that one follows each of them.
    void frameRendered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class GLView;
    static void renderUpdate(void* context);
    void createRenderContext();
    void releaseRenderContext();
    void checkFrame();
    void frameArrived();
    // Software: draws the player's frame into image_ at the widget's size.
    void renderSoftware();

    const Output output_;
    GLView* gl_ = nullptr;
    QPointer<Player> player_;
    QPointer<MWMpvPlayer> mpv_;
    mpv_render_context* render_ = nullptr;
    std::atomic<bool> updatePosted_ = false;
    bool frameWaiting_ = false;
    // Software: libmpv wants 64-byte aligned rows; the image is a view of them.
    std::unique_ptr<uchar, void (*)(void*)> pixels_{nullptr, nullptr};
    QImage image_;
    bool stale_ = true;
};
