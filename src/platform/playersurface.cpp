#include "platform/playersurface.h"

#include "platform/launchtrace.h"
#include "platform/mpvplayer.h"

#include <QDir>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPainter>
#include <QResizeEvent>
#include <cstdlib>
#include <mpv/render.h>
#include <mpv/render_gl.h>

namespace {

void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

// The OpenGL way: a child filling the surface, drawing through libmpv's
// OpenGL renderer into its framebuffer.
class MWPlayerSurface::GLView : public QOpenGLWidget {
public:
    explicit GLView(MWPlayerSurface* surface) : QOpenGLWidget(surface), surface_(surface)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // Input and focus belong to what lies under and over the surface.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
            if (surface_->render_)
                mpv_render_context_report_swap(surface_->render_);
        });
    }

protected:
    void initializeGL() override
    {
        // Re-parenting into another window destroys the GL context and makes
        // a new one: the render context goes with the old and is made again here.
        connect(context(), &QOpenGLContext::aboutToBeDestroyed, surface_,
                &MWPlayerSurface::releaseRenderContext, Qt::DirectConnection);
        surface_->createRenderContext();
    }

    void paintGL() override
    {
        mpv_render_context* render = surface_->render_;
        if (!render) {
            QOpenGLFunctions* gl = context()->functions();
            gl->glClearColor(0, 0, 0, 1);
            gl->glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio),
                           int(height() * ratio), 0};
        int flip = 1;
        // Never wait for a frame's due time on the main thread.
        int block = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flip},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(render, params);
        surface_->frameArrived();
    }

private:
    MWPlayerSurface* surface_;
};

MWPlayerSurface::Output MWPlayerSurface::preferredOutput()
{
    const QByteArray forced = qgetenv("CW_VIDEO_OUTPUT").toLower();
    if (forced == "software")
        return Output::software;
    if (forced == "opengl")
        return Output::openGL;
    if (qgetenv("LIBGL_ALWAYS_SOFTWARE") == "1")
        return Output::software;
    const QStringList nodes =
        QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System);
    return nodes.isEmpty() ? Output::software : Output::openGL;
}

MWPlayerSurface::MWPlayerSurface(QWidget* parent, Output output) : QWidget(parent), output_(output)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (output_ == Output::openGL) {
        gl_ = new GLView(this);
        gl_->resize(size());
    }
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
                stale_ = true;
                gl_ ? gl_->update() : update();
            }
        });
    }
    if (!gl_ || gl_->context())
        createRenderContext();
    stale_ = true;
    gl_ ? gl_->update() : update();
}

void MWPlayerSurface::createRenderContext()
{
    if (render_ || !mpv_ || !mpv_->hasVideoOutput())
        return;
    if (gl_) {
        if (!gl_->context())
            return;
        gl_->makeCurrent();
        mpv_opengl_init_params init{&procAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_create(&render_, mpv_->handle(), params) < 0)
            render_ = nullptr;
        gl_->doneCurrent();
    } else {
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_create(&render_, mpv_->handle(), params) < 0)
            render_ = nullptr;
    }
    if (!render_)
        return;
    mpv_render_context_set_update_callback(render_, &MWPlayerSurface::renderUpdate, this);
    mpv_->attachRenderer(this, [this] { releaseRenderContext(); });
    mpv_->videoOutputAttached();
}

void MWPlayerSurface::releaseRenderContext()
{
    if (!render_)
        return;
    const bool current = gl_ && gl_->context();
    if (current)
        gl_->makeCurrent();
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
    render_ = nullptr;
    if (current)
        gl_->doneCurrent();
    if (mpv_)
        mpv_->detachRenderer(this);
    stale_ = true;
    update();
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
        stale_ = true;
        gl_ ? gl_->update() : update();
    }
}

void MWPlayerSurface::frameArrived()
{
    if (frameWaiting_) {
        frameWaiting_ = false;
        CWLaunchTrace::mark("first frame drawn");
        emit frameRendered();
    }
}

void MWPlayerSurface::renderSoftware()
{
    const QSize size = (QSizeF(this->size()) * devicePixelRatioF()).toSize();
    if (!render_ || size.isEmpty()) {
        image_ = QImage();
        return;
    }
    if (image_.size() != size) {
        const qsizetype stride = (qsizetype(size.width()) * 4 + 63) / 64 * 64;
        pixels_ = {static_cast<uchar*>(std::aligned_alloc(64, stride * size.height())), &std::free};
        image_ = QImage(pixels_.get(), size.width(), size.height(), stride, QImage::Format_RGB32);
        image_.setDevicePixelRatio(devicePixelRatioF());
    }
    int extent[2] = {size.width(), size.height()};
    size_t stride = size_t(image_.bytesPerLine());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, extent},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels_.get()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
    // The fourth byte is left undefined; Qt's RGB32 wants it opaque.
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(pixels_.get() + y * image_.bytesPerLine());
        for (int x = 0; x < size.width(); ++x)
            row[x] |= 0xff000000u;
    }
}

void MWPlayerSurface::paintEvent(QPaintEvent*)
{
    if (gl_)
        return;
    if (stale_ || !render_) {
        stale_ = false;
        renderSoftware();
    }
    QPainter painter(this);
    if (image_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, image_);
    if (render_)
        frameArrived();
}

void MWPlayerSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (gl_)
        gl_->resize(size());
    stale_ = true;
}

QImage MWPlayerSurface::grabFrame()
{
    if (gl_)
        return gl_->grabFramebuffer();
    if (stale_ || !render_) {
        stale_ = false;
        renderSoftware();
    }
    if (image_.isNull()) {
        QImage black(size() * devicePixelRatioF(), QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }
    return image_.copy();
}
