#include "cad/ui/gui/drawing_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "cad/editor/selection.h"
#include "cad/runtime/documents.h"
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

QString number(double value) { return QString::number(value, 'g', 12); }

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("drawingView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingView::rebuild()
{
    m_scene = DrawingScene();
    const auto database = qx::currentDatabase();
    if (database) m_scene.build(*database);
    // Another drawing is shown whole.
    if (database.get() != m_shownDatabase) m_userMoved = false;
    m_shownDatabase = database.get();
    if (!m_userMoved) fitExtents();
    m_markPaint = true;
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
    update();
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
    update();
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

// Two passes: every stroke under one world transform, then the texts in screen space, so that
// a large drawing does not pay for a transform and a saved painter state per object.
void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const QRectF visible = QRectF(toWorld(QPointF(0, height())), toWorld(QPointF(width(), 0))).normalized();
    std::vector<const EntityPicture*> shown;
    for (const EntityPicture& entity : m_scene.entities())
        if (overlaps(entity.bounds, visible)) shown.push_back(&entity);

    QTransform world;
    world.translate(width() / 2.0, height() / 2.0);
    world.scale(m_scale, -m_scale);
    world.translate(-m_centre.x(), -m_centre.y());
    painter.setTransform(world);
    for (const EntityPicture* entity : shown) drawStrokes(painter, *entity, colorOf(*entity));
    painter.resetTransform();
    for (const EntityPicture* entity : shown) {
        if (entity->texts.empty() || isDot(*entity)) continue;
        painter.setPen(colorOf(*entity));
        for (const TextRun& text : entity->texts) drawText(painter, text);
    }

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

QColor DrawingView::colorOf(const EntityPicture& entity) const
{
    return m_picked.count(entity.handle) ? kHighlight : entity.color;
}

// An entity smaller than a pixel is drawn as a dot, whatever its parts.
bool DrawingView::isDot(const EntityPicture& entity) const
{
    return entity.bounds.width() * m_scale < 1 && entity.bounds.height() * m_scale < 1;
}

void DrawingView::drawStrokes(QPainter& painter, const EntityPicture& entity, const QColor& color) const
{
    if (isDot(entity)) {
        QPen dot(color);
        dot.setCosmetic(true);
        painter.setPen(dot);
        painter.drawPoint(entity.bounds.center());
        return;
    }
    for (const Stroke& stroke : entity.strokes) {
        QPen pen(color);
        const bool wide = stroke.width * m_scale > 1.5;
        pen.setCosmetic(!wide);
        pen.setWidthF(wide ? stroke.width : 0);
        painter.setPen(pen);
        painter.setBrush(stroke.filled ? QBrush(color) : Qt::NoBrush);
        painter.drawPath(stroke.path);
    }
}

void DrawingView::drawText(QPainter& painter, const TextRun& text) const
{
    const double pixels = text.height * m_scale;
    if (pixels < 1.5) {
        // Too small to read: a line as long as the text stands for it, which is also cheaper.
        qsizetype longest = 0;
        for (const QString& line : text.lines) longest = std::max(longest, line.size());
        const QPointF from = toScreen(text.anchor);
        const double length = 0.6 * pixels * double(longest);
        painter.drawLine(from, from + QPointF(length * std::cos(text.rotation), -length * std::sin(text.rotation)));
        return;
    }
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(1, int(std::lround(pixels / kCapitalHeight))));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double lineStep = pixels * 5.0 / 3.0;
    const double blockHeight = lineStep * (text.lines.size() - 1) + pixels;
    painter.save();
    painter.translate(toScreen(text.anchor));
    painter.rotate(-text.rotation * 180.0 / 3.14159265358979323846);
    double top = 0;  // of the first line's capitals, below the anchor
    if (text.vertical == 1) top = -blockHeight / 2;
    else if (text.vertical == 2) top = -blockHeight;
    else if (text.vertical == 3) top = -pixels;
    for (qsizetype i = 0; i < text.lines.size(); ++i) {
        const double lineWidth = metrics.horizontalAdvance(text.lines[i]);
        const double left = text.horizontal == 1 ? -lineWidth / 2 : text.horizontal == 2 ? -lineWidth : 0;
        painter.drawText(QPointF(left, top + pixels + lineStep * double(i)), text.lines[i]);
    }
    painter.restore();
}

void DrawingView::resizeEvent(QResizeEvent*)
{
    if (!m_userMoved) fitExtents();
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
    const QPointF at = event->position();
    const QPointF before = toWorld(at);
    const double steps = event->angleDelta().y() / 120.0;
    m_scale *= std::pow(1.25, steps);
    m_userMoved = true;
    // Keep the point under the cursor where it was.
    const QPointF after = toWorld(at);
    m_centre += before - after;
    update();
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
        m_userMoved = true;
    }
    m_lastAt = m_cursorAt;
    if (onCursor) onCursor(toUcs(toWorld(m_cursorAt)));
    if (m_panning || m_dragging) update();
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
    const QPointF moved = m_cursorAt - m_pressAt;
    if (std::hypot(moved.x(), moved.y()) < kDragPixels) pickAt(m_cursorAt);
    else pickRectangle(m_pressAt, m_cursorAt);
    update();
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
