#pragma once

#include <QOpenGLWidget>
#include <QPointer>
#include <atomic>

class Player;
class MWMpvPlayer;
struct mpv_render_context;

// The video surface: the player's current frame, aspect-fitted and centred on
// black, following the widget's size at once (no animation). Repaints only
// draw the frame again; nothing here ever reloads or restarts the video.
class MWPlayerSurface : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit MWPlayerSurface(QWidget* parent = nullptr);
    ~MWPlayerSurface() override;

    // The store's player. Setting the player already shown changes nothing; a
    // player that is not on libmpv (or has no video output) shows black.
    void setPlayer(Player* player);
    Player* player() const;

signals:
    // A new frame of the player reached the widget; also drawn once after
    // every load or seek has arrived, so that one follows each of them.
    void frameRendered();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void renderUpdate(void* context);
    void createRenderContext();
    void releaseRenderContext();
    void checkFrame();

    QPointer<Player> player_;
    QPointer<MWMpvPlayer> mpv_;
    mpv_render_context* render_ = nullptr;
    std::atomic<bool> updatePosted_ = false;
    bool frameWaiting_ = false;
};
