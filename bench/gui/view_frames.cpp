// How quickly the drawing view answers on a large drawing: opening it, the first picture shown
// and the finished one, a picture of the whole drawing and of smaller parts, a pan step and a
// wheel step while the user moves, and bringing the pictures up to date after an edit of one
// object in a hundred. Pictures are finished in slices between events, as in the window: the
// longest any event waited for a slice is given with them, and the wait that 99 in a hundred
// turns of the event loop kept within (on a machine shared with other work, the process may be
// put aside in the middle of a slice). The outlines' time is also given in processor time.
//   build/view_frames DRAWING [WIDTH HEIGHT]
// Runs on the offscreen platform unless another is chosen. Times are wall-clock milliseconds
// of one run each (the median of five for the repeated pictures).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/runtime/documents.h"
#include "cad/ui/gui/drawing_view.h"
#include "database.h"

namespace {

double since(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

template <typename F>
double median(F&& run)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(since(timer));
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

// A picture of the view as it stands now (painted as the window would be).
void picture(qxgui::DrawingView& view) { view.grab(); }

void send(QWidget& widget, QEvent&& event) { QApplication::sendEvent(&widget, &event); }

double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// How long events waited while pictures were drawn, over every turn of the event loop.
struct Waits {
    std::vector<double> all;
    void clear() { all.clear(); }
    std::string text()
    {
        if (all.empty()) return "events never waited";
        std::sort(all.begin(), all.end());
        char line[96];
        std::snprintf(line, sizeof line, "events waited %.1f ms at most, 99%% within %.1f ms", all.back(),
                      all[all.size() * 99 / 100]);
        return line;
    }
};

// Lets the event loop run until the view's picture is finished. A timer due at every turn of
// the loop measures how long an event waits.
void untilFinished(qxgui::DrawingView& view, Waits& waits)
{
    QEventLoop loop;
    QTimer probe;
    QElapsedTimer wait;
    wait.start();
    QObject::connect(&probe, &QTimer::timeout, [&] {
        waits.all.push_back(since(wait));
        wait.restart();
        if (view.pictureFinished()) loop.quit();
    });
    probe.start(0);
    if (!view.pictureFinished()) loop.exec();
}

// Erases one entity in two hundred and recolours another, as a command would.
int editOneInAHundred(QxDbDatabase& database)
{
    const auto* space = QxDbBlockTableRecord::cast(qx::peekObject(database.modelSpaceId()));
    int edited = 0, k = 0;
    for (const QxDbObjectId& id : space->entityIds()) {
        if (++k % 100) continue;
        QxDbEntity* entity = nullptr;
        if (qxdbOpenQxDbEntity(entity, id, QxDb::kForWrite) != Qxapp::eOk) continue;
        if (k % 200) entity->erase();
        else entity->setColorIndex(1);
        entity->close();
        ++edited;
    }
    return edited;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s DRAWING [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int width = argc == 4 ? std::atoi(argv[2]) : 1600, height = argc == 4 ? std::atoi(argv[3]) : 1000;

    QElapsedTimer timer;
    timer.start();
    std::u16string error;
    if (!qx::openDrawing(argv[1], error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], QString::fromStdU16String(error).toUtf8().constData());
        return 1;
    }
    const double opened = since(timer);

    qxgui::DrawingView view;
    view.resize(width, height);
    view.show();  // a hidden view is painted on request only, and its slices wait for paints
    timer.restart();
    const double processorBefore = processorMs();
    view.rebuild();
    const double built = since(timer), builtProcessor = processorMs() - processorBefore;
    picture(view);
    const double first = since(timer);
    Waits waits;
    untilFinished(view, waits);
    const double finished = since(timer);
    std::printf("%zu entities, view %dx%d\n", view.scene().entities().size(), width, height);
    std::printf("read the drawing           %9.1f ms\n", opened);
    std::printf("outlines made              %9.1f ms (%.1f ms of processor time)\n", built, builtProcessor);
    std::printf("first picture (with those) %9.1f ms\n", first);
    std::printf("picture finished           %9.1f ms (%s)\n", finished, waits.text().c_str());

    const QRectF all = view.scene().extents();
    for (double zoom : {1.0, 4.0, 32.0, 256.0}) {
        const QSizeF size = all.size() / zoom;
        const QRectF part(all.center() - QPointF(size.width() / 2, size.height() / 2), size);
        waits.clear();
        const double ms = median([&] {
            view.zoomTo(part);
            picture(view);
            untilFinished(view, waits);
        });
        std::printf("whole picture at zoom %-5g%9.1f ms (%s)\n", zoom, ms, waits.text().c_str());
    }
    view.zoomExtents();
    view.finishPicture();
    picture(view);
    // A pan step: the middle button held and moved by ten pixels.
    const QPointF middle(width / 2.0, height / 2.0);
    send(view, QMouseEvent(QEvent::MouseButtonPress, middle, view.mapToGlobal(middle), Qt::MiddleButton, Qt::MiddleButton, {}));
    double x = middle.x();
    const double pan = median([&] {
        x += 10;
        send(view, QMouseEvent(QEvent::MouseMove, QPointF(x, middle.y()), view.mapToGlobal(QPointF(x, middle.y())), Qt::NoButton,
                               Qt::MiddleButton, {}));
        picture(view);
    });
    send(view, QMouseEvent(QEvent::MouseButtonRelease, QPointF(x, middle.y()), view.mapToGlobal(QPointF(x, middle.y())),
                           Qt::MiddleButton, Qt::NoButton, {}));
    const double wheel = median([&] {
        send(view, QWheelEvent(middle, view.mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false));
        picture(view);
    });
    std::printf("pan step while moving      %9.1f ms\n", pan);
    std::printf("wheel step while moving    %9.1f ms\n", wheel);

    const int edited = editOneInAHundred(*qx::currentDatabase());
    timer.restart();
    view.rebuild();
    const double outlined = since(timer);
    picture(view);
    waits.clear();
    untilFinished(view, waits);
    const double updated = since(timer);
    std::printf("update after %d edits  %9.1f ms outlined, %.1f ms to the finished picture (%zu entities left; %s)\n", edited,
                outlined, updated, view.scene().entities().size(), waits.text().c_str());
    return 0;
}
