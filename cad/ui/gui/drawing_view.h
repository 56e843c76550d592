// The drawing view: model space on a dark background, zoomed with the wheel about the cursor,
// panned with the middle button (or with the space bar held and the left button), and used to
// answer the editor's requests: a click gives a point, clicks and rectangles select objects.
// Answers are the same lines a console user would type, so the module sees the same statuses.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "cad/editor/console.h"
#include "cad/ui/gui/drawing_scene.h"

namespace qxgui {

class PixelLines;

class DrawingView : public QWidget {
public:
    explicit DrawingView(QWidget* parent = nullptr);

    // Brings the pictures up to date with the current drawing (after a command changed it):
    // only what changed is done again.
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
    // While on, every pan or zoom step shows the last picture moved, as for a drawing slow to
    // draw, until the user pauses; off, it goes back to drawing quick pictures at once.
    void holdPictureWhileMoving(bool on);
    // A picture of a large drawing is made in slices between events, the last picture (or a
    // sketch of bounds) shown meanwhile. These finish it at once, as tests and measurements
    // want, and tell whether it is finished.
    void finishPicture();
    bool pictureFinished() const { return !m_frameStale; }
    // The longest a slice may keep events waiting; each slice draws at least one object.
    void setSliceMs(int ms) { m_sliceMs = ms; }
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
    // The picture is made in an image that is kept: while the user pans or zooms a drawing
    // that takes long to draw, the image is shown moved and scaled at once, and drawn anew
    // when the user pauses.
    void redraw();
    void moved();
    // A picture in the making: the objects in view are drawn in three passes (pixels, then
    // the painter's strokes, then texts), each resumed where the last slice stopped.
    struct Render {
        QImage image;
        std::vector<int> visible;    // in drawing order
        std::vector<int> detailed;   // of those, the ones the painter's passes draw
        QTransform toPixels;         // from the drawing to the image's pixels
        std::size_t next = 0;        // in the current pass's list
        int pass = 0;
        qint64 workMs = 0;
    };
    void continuePicture();
    void startPicture();
    bool drawSlice(const QElapsedTimer& turn);  // true when the picture is finished
    void pixelStep(Render& render, PixelLines& lines, int index);
    void adoptPicture();
    void sketch();
    void plotSmall(QImage& image, const EntityPicture& entity, QRgb color) const;
    QTransform worldTransform() const;
    void drawFrameMoved(QPainter& painter) const;
    bool isSmall(const EntityPicture& entity) const;
    bool isThin(const Stroke& stroke) const;
    void drawStrokes(QPainter& painter, const EntityPicture& entity, const QColor& color) const;
    QColor colorOf(const EntityPicture& entity) const;
    void drawText(QPainter& painter, const TextRun& text) const;
    struct ViewFont {
        QFont font;
        QFontMetricsF metrics;
    };
    const ViewFont& fontOf(const QString& family, int pixelSize) const;
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
    std::weak_ptr<QxDbDatabase> m_shownDatabase;
    bool m_markPaint = false;  // the first picture after a rebuild is timed (QXCAD_TIMES)
    qx::InputKind m_request = qx::InputKind::Text;
    std::set<std::uint64_t> m_picked;
    bool m_panning = false, m_spaceHeld = false, m_dragging = false;
    QPointF m_pressAt, m_lastAt, m_cursorAt;
    QImage m_frame;
    bool m_frameStale = true;
    bool m_frameOfThisDrawing = false;  // else a sketch is made while the first picture is
    std::unique_ptr<Render> m_render;
    QTimer m_slices;  // resumes the picture once pending events are handled
    int m_sliceMs = 25;
    bool m_markFinish = false;
    QPointF m_frameCentre;
    double m_frameScale = 1.0;
    qint64 m_renderMs = 0;  // how long the last picture took to draw, its slices together
    bool m_moving = false;  // panning or zooming in quick steps: the picture waits
    bool m_holdWhileMoving = false;
    QTimer m_settle;
    mutable std::map<std::pair<QString, int>, ViewFont> m_fonts;  // by family and pixel size
};

}  // namespace qxgui
