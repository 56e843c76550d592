// The drawing view: model space on a dark background, zoomed with the wheel about the cursor,
// panned with the middle button (or with the space bar held and the left button), and used to
// answer the editor's requests: a click gives a point, clicks and rectangles select objects.
// Answers are the same lines a console user would type, so the module sees the same statuses.
#pragma once

#include <QWidget>
#include <functional>
#include <set>

#include "cad/editor/console.h"
#include "cad/ui/gui/drawing_scene.h"

namespace qxgui {

class DrawingView : public QWidget {
public:
    explicit DrawingView(QWidget* parent = nullptr);

    // Makes the pictures again from the current drawing (after a command changed it).
    void rebuild();
    const DrawingScene& scene() const { return m_scene; }
    void zoomExtents();
    // Shows `area` of the drawing whole, in the middle of the view.
    void zoomTo(const QRectF& area);

    // The editor's request being answered, Text when there is none; answers go to `onAnswer`.
    void setRequest(qx::InputKind kind);
    std::function<void(const QString& answer)> onAnswer;
    // Ends a selection: the picked objects, or a cancel when nothing was picked.
    void finishSelection();
    void cancelRequest();
    // Called as the cursor moves, with the point in the current UCS.
    std::function<void(QPointF ucsPoint)> onCursor;

    QPointF toScreen(QPointF world) const;
    QPointF toWorld(QPointF screen) const;
    double scale() const { return m_scale; }
    // Handles of the objects picked so far in a selection.
    const std::set<std::uint64_t>& picked() const { return m_picked; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void drawStrokes(QPainter& painter, const EntityPicture& entity, const QColor& color) const;
    QColor colorOf(const EntityPicture& entity) const;
    bool isDot(const EntityPicture& entity) const;
    void drawText(QPainter& painter, const TextRun& text) const;
    void pickAt(QPointF screen);
    void pickRectangle(QPointF from, QPointF to);
    QPointF toUcs(QPointF world) const;
    bool picking() const { return m_request == qx::InputKind::Selection || m_request == qx::InputKind::SingleObject; }
    void fitExtents();
    void fitArea(const QRectF& area);

    DrawingScene m_scene;
    QPointF m_centre;      // world point at the middle of the view
    double m_scale = 1.0;  // pixels per drawing unit
    bool m_userMoved = false;  // until the user zooms or pans, the view shows the whole drawing
    const void* m_shownDatabase = nullptr;
    bool m_markPaint = false;  // the first picture after a rebuild is timed (QXCAD_TIMES)
    qx::InputKind m_request = qx::InputKind::Text;
    std::set<std::uint64_t> m_picked;
    bool m_panning = false, m_spaceHeld = false, m_dragging = false;
    QPointF m_pressAt, m_lastAt, m_cursorAt;
};

}  // namespace qxgui
