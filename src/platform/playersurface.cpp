#include "platform/playersurface.h"

#include "platform/mpvplayer.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <mpv/render_gl.h>

namespace {

void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

MWPlayerSurface::MWPlayerSurface(QWidget* parent) : QOpenGLWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (render_)
            mpv_render_context_report_swap(render_);
    });
}

MWPlayerSurface::~MWPlayerSurface()
{
    releaseRenderContext();
}

Player* MWPlayerSurface::player() const
{
    return player_;
}

void MWPlayerSurface::setPlayer(Player* player)
{
    // The same player again (a re-render of the view) must not touch the video.
    if (player == player_)
        return;
    releaseRenderContext();
    if (mpv_)
        disconnect(mpv_, nullptr, this, nullptr);
    player_ = player;
    mpv_ = qobject_cast<MWMpvPlayer*>(player);
    if (mpv_) {
        // The frame of a load or seek may be drawn before the player says it
        // has arrived: draw once more then, so a drawn frame always follows.
        connect(mpv_, &MWMpvPlayer::restarted, this, [this] {
            if (render_) {
                frameWaiting_ = true;
                update();
            }
        });
    }
    if (context()) {
        createRenderContext();
        update();
    }
}

void MWPlayerSurface::initializeGL()
{
    // Re-parenting into another window destroys the GL context and makes a
    // new one: the render context goes with the old and is made again here.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &MWPlayerSurface::releaseRenderContext, Qt::DirectConnection);
    createRenderContext();
}

void MWPlayerSurface::createRenderContext()
{
    if (render_ || !mpv_ || !mpv_->hasVideoOutput() || !context())
        return;
    makeCurrent();
    mpv_opengl_init_params gl{&procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&render_, mpv_->handle(), params) < 0) {
        render_ = nullptr;
        doneCurrent();
        return;
    }
    mpv_render_context_set_update_callback(render_, &MWPlayerSurface::renderUpdate, this);
    doneCurrent();
    mpv_->attachRenderer(this, [this] { releaseRenderContext(); });
    mpv_->videoOutputAttached();
}

void MWPlayerSurface::releaseRenderContext()
{
    if (!render_)
        return;
    makeCurrent();
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
    render_ = nullptr;
    doneCurrent();
    if (mpv_)
        mpv_->detachRenderer(this);
}

void MWPlayerSurface::renderUpdate(void* context)
{
    // libmpv's thread: only a note to the main thread.
    auto* self = static_cast<MWPlayerSurface*>(context);
    if (!self->updatePosted_.exchange(true))
        QMetaObject::invokeMethod(self, &MWPlayerSurface::checkFrame, Qt::QueuedConnection);
}

void MWPlayerSurface::checkFrame()
{
    updatePosted_ = false;
    if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME)) {
        frameWaiting_ = true;
        update();
    }
}

void MWPlayerSurface::paintGL()
{
    if (!render_) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio),
                       0};
    int flip = 1;
    // Never wait for a frame's due time on the main thread.
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
    if (frameWaiting_) {
        frameWaiting_ = false;
        emit frameRendered();
    }
}
