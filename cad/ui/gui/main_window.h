// The host's main window: the drawing view above, the command line below (history and input),
// menus for the drawing files and the modules' commands, the cursor's coordinates and the
// progress of reading or saving a large drawing in the status bar. The window answers the host's input requests: what the user types or clicks
// becomes the line the command loop reads.
#pragma once

#include <QMainWindow>
#include <QString>
#include <optional>

#include "cad/editor/console.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;

namespace qxgui {

class DrawingView;

class MainWindow : public QMainWindow {
public:
    MainWindow();

    // The line reader of the host's input: waits for the user's answer. False when the
    // window was closed.
    bool readLine(std::u16string_view prompt, qx::InputKind kind, std::u16string& line);
    // Shows what the host printed in the history.
    void appendOutput(std::u16string_view text);
    // Shows the bar at `percent` of `task`; it goes at the next prompt.
    void showProgress(std::u16string_view task, int percent);
    // Gives `line` as the answer to the request being waited for, as if typed.
    void submit(const QString& line);

    DrawingView& view() const { return *m_view; }
    QLineEdit& commandInput() const { return *m_input; }
    QPlainTextEdit& history() const { return *m_history; }
    // Shown in the status bar while a large drawing is read or saved.
    QProgressBar& progress() const { return *m_progress; }
    // The request the window waits for, if any.
    std::optional<qx::InputKind> waitingFor() const { return m_waiting; }
    // Shows the current drawing again: its pictures, name and changed mark.
    void drawingChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Closing the window closes the drawing: its unsaved changes are saved, let go, or the
    // window stays open, as the user answers. True when it may close.
    bool mayCloseDrawing();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void runMenuCommand(const QString& line);
    void inputEntered();
    void updateTitle();

    DrawingView* m_view = nullptr;
    QPlainTextEdit* m_history = nullptr;
    QLineEdit* m_input = nullptr;
    QLabel* m_prompt = nullptr;
    QLabel* m_coordinates = nullptr;
    QProgressBar* m_progress = nullptr;
    std::optional<qx::InputKind> m_waiting;
    std::optional<QString> m_answer;
    bool m_closed = false;
    QStringList m_entered;  // lines typed, for the up and down keys
    int m_recall = 0;
};

}  // namespace qxgui
