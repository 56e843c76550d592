#include "cad/ui/gui/drawing_view.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <limits>

#include "cad/editor/selection.h"
#include "cad/runtime/documents.h"
#include "cad/ui/gui/pixel_lines.h"
#include "database.h"

namespace qxgui {

namespace {

const QColor kBackground(33, 40, 48);
const QColor kHighlight(255, 170, 0);
constexpr double kPickPixels = 4;
constexpr double kDragPixels = 4;  // a press and release closer than this is a click
// Letters of the view's font reach this part of an em above the baseline: a text's height in
// the drawing is that of its capitals.
constexpr double kCapitalHeight = 0.72;
// An entity less than this many pixels across is plotted as the pixels of its bounds.
constexpr double kSmallPixels = 2;
// A stroke narrower than this is drawn one pixel wide.
constexpr double kWidePixels = 1.5;
// Objects up to this many pixels across are sketched as their bounds' outlines.
constexpr double kSketchPixels = 32;
// A text whose capitals are lower than this is drawn as a line: it could not be read.
constexpr double kReadablePixels = 4;
// A picture that took longer than this is not made again at every step of a pan or zoom.
constexpr qint64 kQuickRenderMs = 30;
constexpr int kSettleMs = 150;

QString number(double value) { return QString::number(value, 'g', 12); }

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("drawingView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_moving = false;
        update();
    });
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &DrawingView::continuePicture);
}

void DrawingView::rebuild()
{
    const auto database = qx::currentDatabase();
    // Another drawing (which may have taken the address of one closed) is made whole and
    // shown whole; the same one is brought up to date.
    const bool another = database != m_shownDatabase.lock();
    m_shownDatabase = database;
    if (!database) m_scene = DrawingScene();
    else if (another) m_scene.build(*database);
    else if (!m_scene.update(*database)) return;
    if (another) {
        m_userMoved = false;
        m_frameOfThisDrawing = false;
    }
    if (!m_userMoved) fitExtents();
    m_markPaint = m_markFinish = true;
    redraw();
}

void DrawingView::holdPictureWhileMoving(bool on)
{
    m_holdWhileMoving = on;
    if (on) return;
    m_settle.stop();
    m_moving = false;
    update();
}

void DrawingView::redraw()
{
    m_frameStale = true;
    m_render.reset();
    m_slices.stop();
    update();
}

// A pan or zoom step: a picture quick to make is made again at once, a slow one when the user
// pauses.
void DrawingView::moved()
{
    m_userMoved = true;
    m_frameStale = true;
    m_render.reset();
    m_slices.stop();
    if (m_holdWhileMoving || m_renderMs > kQuickRenderMs) {
        m_moving = true;
        m_settle.start();
    }
    update();
}

void DrawingView::zoomExtents()
{
    m_userMoved = false;
    fitExtents();
}

void DrawingView::fitExtents()
{
    const QRectF extents = m_scene.extents();
    fitArea(extents.isNull() ? QRectF(0, 0, 100, 100) : extents);
}

void DrawingView::zoomTo(const QRectF& area)
{
    m_userMoved = true;
    fitArea(area);
}

void DrawingView::fitArea(const QRectF& area)
{
    const double w = std::max(area.width(), 1e-6), h = std::max(area.height(), 1e-6);
    m_centre = area.center();
    m_scale = 0.9 * std::min(width() / w, height() / h);
    if (m_scale <= 0) m_scale = 1;
    redraw();
}

QPointF DrawingView::toScreen(QPointF world) const
{
    return {width() / 2.0 + (world.x() - m_centre.x()) * m_scale, height() / 2.0 - (world.y() - m_centre.y()) * m_scale};
}

QPointF DrawingView::toWorld(QPointF screen) const
{
    return {m_centre.x() + (screen.x() - width() / 2.0) / m_scale, m_centre.y() - (screen.y() - height() / 2.0) / m_scale};
}

QPointF DrawingView::toUcs(QPointF world) const
{
    const auto database = qx::currentDatabase();
    if (!database) return world;
    const QxGePoint3d origin = database->ucsorg();
    const QxGeVector3d x = database->ucsxdir(), y = database->ucsydir();
    const QxGeVector3d v(world.x() - origin.x, world.y() - origin.y, -origin.z);
    return {v.dotProduct(x), v.dotProduct(y)};
}

void DrawingView::setRequest(qx::InputKind kind)
{
    m_request = kind;
    m_picked.clear();
    m_dragging = false;
    setCursor(kind == qx::InputKind::Text ? Qt::ArrowCursor : Qt::CrossCursor);
    redraw();
}

void DrawingView::finishSelection()
{
    if (!picking() || !onAnswer) return;
    if (m_picked.empty()) {
        onAnswer(QStringLiteral("cancel"));
        return;
    }
    QString answer = QStringLiteral("handles");
    for (std::uint64_t handle : m_picked) answer += u' ' + QString::number(handle, 16).toUpper();
    onAnswer(answer);
}

void DrawingView::cancelRequest()
{
    if (m_request != qx::InputKind::Text && onAnswer) onAnswer(QStringLiteral("cancel"));
}

void DrawingView::pickAt(QPointF screen)
{
    const int index = m_scene.entityAt(toWorld(screen), kPickPixels / m_scale);
    if (index < 0) return;
    const std::uint64_t handle = m_scene.entities()[std::size_t(index)].handle;
    // A second click on a picked object takes it out again.
    if (!m_picked.erase(handle)) m_picked.insert(handle);
}

// Left to right: a window, which takes what lies wholly inside, as the console's "window"
// answer does. Right to left: a crossing, which also takes what the rectangle cuts.
void DrawingView::pickRectangle(QPointF from, QPointF to)
{
    const QPointF a = toWorld(from), b = toWorld(to);
    if (to.x() >= from.x()) {
        const auto database = qx::currentDatabase();
        if (!database) return;
        const QPointF ua = toUcs(a), ub = toUcs(b);
        for (const QxDbObjectId& id : qx::selectWindow(*database, qx::SelectionFilter(), QxGePoint3d(ua.x(), ua.y(), 0),
                                                       QxGePoint3d(ub.x(), ub.y(), 0)))
            m_picked.insert(id.handle().value());
    } else {
        for (int index : m_scene.entitiesCrossing(QRectF(a, b).normalized()))
            m_picked.insert(m_scene.entities()[std::size_t(index)].handle);
    }
}

void DrawingView::paintEvent(QPaintEvent*)
{
    // The first slice is drawn at once: a small drawing's picture is finished in it.
    if (m_frameStale && !m_moving && !m_render) continuePicture();
    QPainter painter(this);
    if (m_frameStale) drawFrameMoved(painter);
    else painter.drawImage(0, 0, m_frame);

    if (m_dragging) {
        const bool window = m_cursorAt.x() >= m_pressAt.x();
        QPen pen(window ? QColor(80, 160, 255) : QColor(80, 220, 120));
        pen.setStyle(window ? Qt::SolidLine : Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(QColor(pen.color().red(), pen.color().green(), pen.color().blue(), 40));
        painter.drawRect(QRectF(m_pressAt, m_cursorAt).normalized());
    }
    if (m_markPaint) {
        m_markPaint = false;
        qx::markTime(u"drawing view painted");
    }
}

// The last picture where the drawing now is: the world point at the old picture's pixel p is
// at (p - middle) · scale / old scale + middle + (old centre - centre) · scale.
void DrawingView::drawFrameMoved(QPainter& painter) const
{
    painter.fillRect(rect(), kBackground);
    if (m_frame.isNull()) return;
    const double k = m_scale / m_frameScale;
    const QPointF middle(width() / 2.0, height() / 2.0);
    const QPointF shift = m_frameCentre - m_centre;
    QTransform t;
    t.translate(middle.x() + shift.x() * m_scale, middle.y() - shift.y() * m_scale);
    t.scale(k, k);
    t.translate(-middle.x(), -middle.y());
    painter.setTransform(t);
    painter.drawImage(0, 0, m_frame);
    painter.resetTransform();
}

void DrawingView::finishPicture()
{
    if (!m_frameStale) return;
    m_moving = false;
    m_settle.stop();
    const int budget = m_sliceMs;
    m_sliceMs = std::numeric_limits<int>::max();
    continuePicture();
    m_sliceMs = budget;
}

// One slice of the picture, started when there is none; the rest is left to the event loop.
// A drawing never drawn before gets a sketch at once, shown until the picture is finished.
void DrawingView::continuePicture()
{
    if (!m_frameStale) return;
    if (m_shownDatabase.expired()) m_scene = DrawingScene();  // the drawing was closed under the view
    QElapsedTimer turn;  // the time to start a picture counts in its first slice
    turn.start();
    const bool starting = !m_render;
    if (starting) startPicture();
    if (drawSlice(turn)) {
        adoptPicture();
        update();
        return;
    }
    if (starting && !m_frameOfThisDrawing) sketch();
    m_slices.start();
}

QTransform DrawingView::worldTransform() const
{
    QTransform world;
    world.translate(width() / 2.0, height() / 2.0);
    world.scale(m_scale, -m_scale);
    world.translate(-m_centre.x(), -m_centre.y());
    return world;
}

void DrawingView::startPicture()
{
    m_render = std::make_unique<Render>();
    const qreal ratio = devicePixelRatioF();
    m_render->image = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    m_render->image.setDevicePixelRatio(ratio);
    m_render->image.fill(kBackground);
    m_render->toPixels = worldTransform() * QTransform::fromScale(ratio, ratio);
    const QRectF visible = QRectF(toWorld(QPointF(0, height())), toWorld(QPointF(width(), 0))).normalized();
    m_render->visible = m_scene.visible(visible);
}

// The passes over what is in view. First, straight into the image's pixels, entities of a
// pixel or two and every thin stroke (a million of them cost little that way); then, with
// the toolkit's painter, the filled and wide strokes under one world transform and the texts
// in screen space, so that no object pays for a saved painter state. A slice goes on until
// its time is up, a pass at a time.
bool DrawingView::drawSlice(const QElapsedTimer& timer)
{
    Render& render = *m_render;
    const qint64 started = timer.elapsed();
    bool stepped = false;
    const auto more = [&] {
        const bool go = !stepped || timer.elapsed() < m_sliceMs;
        stepped = true;
        return go;
    };
    if (render.pass == 0) {
        PixelLines lines(render.image);
        while (render.next < render.visible.size() && more()) pixelStep(render, lines, render.visible[render.next++]);
        if (render.next == render.visible.size()) render.pass = 1, render.next = 0;
    }
    if (render.pass == 1) {
        QPainter painter(&render.image);
        painter.setTransform(worldTransform());
        for (; render.next < render.detailed.size() && more(); ++render.next) {
            const EntityPicture& entity = m_scene.entities()[std::size_t(render.detailed[render.next])];
            drawStrokes(painter, entity, colorOf(entity));
        }
        if (render.next == render.detailed.size()) render.pass = 2, render.next = 0;
    }
    if (render.pass == 2) {
        QPainter painter(&render.image);
        for (; render.next < render.detailed.size() && more(); ++render.next) {
            const EntityPicture& entity = m_scene.entities()[std::size_t(render.detailed[render.next])];
            if (entity.texts.empty()) continue;
            painter.setPen(colorOf(entity));
            for (const TextRun& text : entity.texts) drawText(painter, text);
        }
        if (render.next == render.detailed.size()) render.pass = 3;
    }
    render.workMs += timer.elapsed() - started;
    return render.pass == 3;
}

void DrawingView::pixelStep(Render& render, PixelLines& lines, int index)
{
    const EntityPicture& outline = m_scene.entities()[std::size_t(index)];
    const QRgb color = colorOf(outline).rgb();
    if (isSmall(outline)) {
        plotSmall(render.image, outline, color);
        return;
    }
    const EntityPicture& entity = m_scene.detailed(index);
    bool painted = !entity.texts.empty();
    for (const Stroke& stroke : entity.strokes) {
        if (isThin(stroke)) lines.path(stroke.path, render.toPixels, color);
        else painted = true;
    }
    if (painted) render.detailed.push_back(index);
}

void DrawingView::adoptPicture()
{
    m_frame = std::move(m_render->image);
    m_renderMs = m_render->workMs;
    m_render.reset();
    m_frameCentre = m_centre;
    m_frameScale = m_scale;
    m_frameStale = false;
    m_frameOfThisDrawing = true;
    if (m_markFinish) {
        m_markFinish = false;
        qx::markTime(u"drawing view finished");
    }
}

// What the picture will show, coarsely and at once: every object in view as the pixels of its
// bounds when it is small, else as the outline of its bounds. Objects larger than that are left
// to the picture: their outlines would cover the sketch with boxes, and take long to draw.
void DrawingView::sketch()
{
    QImage image(m_render->image.size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(m_render->image.devicePixelRatio());
    image.fill(kBackground);
    PixelLines lines(image);
    for (int index : m_render->visible) {
        const EntityPicture& entity = m_scene.entities()[std::size_t(index)];
        const QRgb color = colorOf(entity).rgb();
        if (isSmall(entity)) {
            plotSmall(image, entity, color);
            continue;
        }
        const double across = std::max(entity.bounds.width(), entity.bounds.height()) * m_scale;
        if (across > kSketchPixels) continue;
        const QPolygonF box = m_render->toPixels.map(QPolygonF(entity.bounds));
        for (int side = 0; side < 4; ++side) lines.line(box[side], box[side + 1], color);
    }
    m_frame = std::move(image);
    m_frameCentre = m_centre;
    m_frameScale = m_scale;
    m_frameOfThisDrawing = true;
}

QColor DrawingView::colorOf(const EntityPicture& entity) const
{
    return !m_picked.empty() && m_picked.count(entity.handle) ? kHighlight : entity.color;
}

bool DrawingView::isThin(const Stroke& stroke) const { return !stroke.filled && stroke.width * m_scale <= kWidePixels; }

bool DrawingView::isSmall(const EntityPicture& entity) const
{
    return entity.bounds.width() * m_scale < kSmallPixels && entity.bounds.height() * m_scale < kSmallPixels;
}

// The image's pixels under the entity's bounds, at least one.
void DrawingView::plotSmall(QImage& image, const EntityPicture& entity, QRgb color) const
{
    const qreal ratio = image.devicePixelRatio();
    const QPointF a = toScreen(entity.bounds.topLeft()) * ratio, b = toScreen(entity.bounds.bottomRight()) * ratio;
    const int x0 = std::max(0, int(std::floor(std::min(a.x(), b.x())))), x1 = std::min(image.width() - 1, int(std::floor(std::max(a.x(), b.x()))));
    const int y0 = std::max(0, int(std::floor(std::min(a.y(), b.y())))), y1 = std::min(image.height() - 1, int(std::floor(std::max(a.y(), b.y()))));
    for (int y = y0; y <= y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x <= x1; ++x) line[x] = color;
    }
}

// Filled and wide strokes. The pen and brush change only where an entity needs other ones
// than the last: a large drawing has few colours.
void DrawingView::drawStrokes(QPainter& painter, const EntityPicture& entity, const QColor& color) const
{
    for (const Stroke& stroke : entity.strokes) {
        if (isThin(stroke)) continue;  // drawn already, pixel by pixel
        const bool wide = stroke.width * m_scale > kWidePixels;
        const QPen& current = painter.pen();
        if (current.color() != color || current.isCosmetic() == wide || (wide && current.widthF() != stroke.width)) {
            QPen pen(color);
            pen.setCosmetic(!wide);
            pen.setWidthF(wide ? stroke.width : 0);
            painter.setPen(pen);
        }
        const QBrush& brush = painter.brush();
        if (stroke.filled && (brush.style() != Qt::SolidPattern || brush.color() != color)) painter.setBrush(color);
        else if (!stroke.filled && brush.style() != Qt::NoBrush) painter.setBrush(Qt::NoBrush);
        painter.drawPath(stroke.path);
    }
}

const DrawingView::ViewFont& DrawingView::fontOf(const QString& family, int pixelSize) const
{
    // Sizes come and go with the zoom: a few dozen are kept.
    if (m_fonts.size() > 64) m_fonts.clear();
    const std::pair<QString, int> key(family, pixelSize);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        QFont font(family.isEmpty() ? fontFamilyOf(QString()) : family);
        font.setPixelSize(pixelSize);
        it = m_fonts.emplace(key, ViewFont{font, QFontMetricsF(font)}).first;
    }
    return it->second;
}

void DrawingView::drawText(QPainter& painter, const TextRun& text) const
{
    const double pixels = text.height * m_scale;
    if (pixels < kReadablePixels) {
        // Too small to read: a line as long as the text stands for it, which is also cheaper.
        qsizetype longest = 0;
        for (const QString& line : text.lines) longest = std::max(longest, line.size());
        const QPointF from = toScreen(text.anchor);
        const double length = 0.6 * pixels * text.widthFactor * double(longest);
        painter.resetTransform();
        painter.drawLine(from, from + QPointF(length * std::cos(text.rotation), -length * std::sin(text.rotation)));
        return;
    }
    const ViewFont& font = fontOf(text.family, std::max(1, int(std::lround(pixels / kCapitalHeight))));
    if (painter.font() != font.font) painter.setFont(font.font);
    const double lineStep = pixels * 5.0 / 3.0;
    const double blockHeight = lineStep * (text.lines.size() - 1) + pixels;
    QTransform place = QTransform::fromTranslate(toScreen(text.anchor).x(), toScreen(text.anchor).y());
    place.rotate(-text.rotation * 180.0 / 3.14159265358979323846);
    place.scale(text.widthFactor, 1);  // the style's wider or narrower letters
    painter.setTransform(place);
    double top = 0;  // of the first line's capitals, below the anchor
    if (text.vertical == 1) top = -blockHeight / 2;
    else if (text.vertical == 2) top = -blockHeight;
    else if (text.vertical == 3) top = -pixels;
    for (qsizetype i = 0; i < text.lines.size(); ++i) {
        const double lineWidth = font.metrics.horizontalAdvance(text.lines[i]);
        const double left = text.horizontal == 1 ? -lineWidth / 2 : text.horizontal == 2 ? -lineWidth : 0;
        painter.drawText(QPointF(left, top + pixels + lineStep * double(i)), text.lines[i]);
    }
}

void DrawingView::resizeEvent(QResizeEvent*)
{
    if (!m_userMoved) fitExtents();
    redraw();
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
    const QPointF at = event->position();
    const QPointF before = toWorld(at);
    const double steps = event->angleDelta().y() / 120.0;
    m_scale *= std::pow(1.25, steps);
    // Keep the point under the cursor where it was.
    const QPointF after = toWorld(at);
    m_centre += before - after;
    moved();
}

void DrawingView::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = m_lastAt = m_cursorAt = event->position();
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld)) {
        m_panning = true;
        return;
    }
    if (event->button() == Qt::LeftButton && picking()) m_dragging = true;
}

void DrawingView::mouseMoveEvent(QMouseEvent* event)
{
    m_cursorAt = event->position();
    if (m_panning) {
        const QPointF delta = m_cursorAt - m_lastAt;
        m_centre -= QPointF(delta.x() / m_scale, -delta.y() / m_scale);
        moved();
    }
    m_lastAt = m_cursorAt;
    if (onCursor) onCursor(toUcs(toWorld(m_cursorAt)));
    if (m_dragging) update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event)
{
    m_cursorAt = event->position();
    if (m_panning) {
        m_panning = false;
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (m_request == qx::InputKind::Point && onAnswer) {
        const QPointF p = toUcs(toWorld(m_cursorAt));
        onAnswer(number(p.x()) + u',' + number(p.y()));
        return;
    }
    if (!picking() || !m_dragging) return;
    m_dragging = false;
    const QPointF travel = m_cursorAt - m_pressAt;
    if (std::hypot(travel.x(), travel.y()) < kDragPixels) pickAt(m_cursorAt);
    else pickRectangle(m_pressAt, m_cursorAt);
    redraw();
    // A request for one object ends with the first pick.
    if (m_request == qx::InputKind::SingleObject && !m_picked.empty()) finishSelection();
}

void DrawingView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = true;
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        finishSelection();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        cancelRequest();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DrawingView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) m_spaceHeld = false;
    QWidget::keyReleaseEvent(event);
}

}  // namespace qxgui
