#include "cad/ui/gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "cad/runtime/registered_commands.h"
#include "cad/ui/gui/drawing_view.h"
#include "database.h"

namespace qxgui {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

QString quoted(const QString& path) { return u'"' + path + u'"'; }


}  // namespace

MainWindow::MainWindow()
{
    setObjectName(QStringLiteral("mainWindow"));
    m_view = new DrawingView;
    m_history = new QPlainTextEdit;
    m_history->setObjectName(QStringLiteral("history"));
    m_history->setReadOnly(true);
    m_history->setMaximumBlockCount(10000);
    m_history->setFont(QFont(QStringLiteral("Liberation Mono"), 9));
    m_prompt = new QLabel;
    m_input = new QLineEdit;
    m_input->setObjectName(QStringLiteral("commandInput"));
    m_input->installEventFilter(this);
    connect(m_input, &QLineEdit::returnPressed, this, [this] { inputEntered(); });

    auto* commandLine = new QWidget;
    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(m_prompt);
    inputRow->addWidget(m_input, 1);
    auto* column = new QVBoxLayout(commandLine);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(m_history, 1);
    column->addLayout(inputRow);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_view);
    splitter->addWidget(commandLine);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    m_coordinates = new QLabel;
    m_coordinates->setObjectName(QStringLiteral("coordinates"));
    statusBar()->addPermanentWidget(m_coordinates);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(200);
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);
    m_view->onCursor = [this](QPointF p) {
        m_coordinates->setText(QString::number(p.x(), 'f', 4) + QStringLiteral(", ") + QString::number(p.y(), 'f', 4));
    };
    m_view->onAnswer = [this](const QString& answer) { submit(answer); };

    buildMenus();
    resize(1100, 760);
    updateTitle();
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&New"), QKeySequence::New, this, [this] { runMenuCommand(QStringLiteral("NEW")); });
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open drawing"), QString(),
                                                          QStringLiteral("Drawings (*.dxf);;All files (*)"));
        if (!path.isEmpty()) runMenuCommand(QStringLiteral("OPEN ") + quoted(path));
    });
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { runMenuCommand(QStringLiteral("SAVE")); });
    file->addAction(QStringLiteral("Save &As..."), QKeySequence::SaveAs, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save drawing as"), qs(qx::currentFileName()),
                                                          QStringLiteral("Drawings (*.dxf)"));
        if (!path.isEmpty()) runMenuCommand(QStringLiteral("SAVEAS ") + quoted(path));
    });
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { runMenuCommand(QStringLiteral("QUIT")); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Zoom &extents"), this, [this] { m_view->zoomExtents(); });

    // The modules' commands, under the group each registered them in.
    QMenu* commands = menuBar()->addMenu(QStringLiteral("&Commands"));
    for (const qx::CommandInfo& command : qx::registeredCommands()) {
        const QString name = qs(command.globalName);
        commands->addAction(name, this, [this, name] { runMenuCommand(name); });
    }
}

// Menu entries type their command at the prompt; while another request is open they wait.
void MainWindow::runMenuCommand(const QString& line)
{
    if (m_waiting != qx::InputKind::Text || QApplication::activeModalWidget()) {
        statusBar()->showMessage(QStringLiteral("Finish the current request first"), 3000);
        return;
    }
    submit(line);
}

void MainWindow::submit(const QString& line)
{
    if (!m_waiting) return;
    m_entered << line;
    m_recall = int(m_entered.size());
    m_answer = line;
}

void MainWindow::inputEntered()
{
    const QString line = m_input->text().trimmed();
    m_input->clear();
    // Enter on an empty line ends a selection, as in the view.
    if (line.isEmpty() && (m_waiting == qx::InputKind::Selection || m_waiting == qx::InputKind::SingleObject)) {
        m_view->finishSelection();
        return;
    }
    if (!line.isEmpty()) submit(line);
}

bool MainWindow::readLine(std::u16string_view prompt, qx::InputKind kind, std::u16string& line)
{
    if (m_closed) return false;
    if (kind == qx::InputKind::Text) drawingChanged();
    // The command that read a drawing has finished with it.
    m_progress->hide();
    m_prompt->setText(qs(prompt).trimmed());
    m_waiting = kind;
    m_answer.reset();
    m_view->setRequest(kind);
    if (kind != qx::InputKind::Text) m_view->setFocus();
    else if (!QApplication::activeModalWidget()) m_input->setFocus();
    while (!m_answer && !m_closed) QApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    m_waiting.reset();
    m_view->setRequest(qx::InputKind::Text);
    m_prompt->clear();
    if (!m_answer) return false;
    line = m_answer->toStdU16String();
    return true;
}

void MainWindow::appendOutput(std::u16string_view text)
{
    m_history->moveCursor(QTextCursor::End);
    m_history->insertPlainText(qs(text));
    m_history->ensureCursorVisible();
}

// The reading or saving of a large drawing holds the event loop, so the bar and the history
// are painted at once. The bar is labelled with the task's first word ("Reading", "Saving").
void MainWindow::showProgress(std::u16string_view task, int percent)
{
    const QString verb = qs(task).section(u' ', 0, 0);
    m_progress->setFormat((verb.isEmpty() ? QStringLiteral("Working") : verb) + QStringLiteral(" %p%"));
    m_progress->show();
    m_progress->setValue(percent);
    statusBar()->repaint();
    m_history->repaint();
}

void MainWindow::drawingChanged()
{
    m_view->rebuild();
    updateTitle();
    qx::markTime(u"drawing view built");
}

void MainWindow::updateTitle()
{
    const QString name = QFileInfo(qs(qx::currentFileName())).fileName();
    setWindowTitle(name + QStringLiteral("[*] - qxcad"));
    setWindowModified(qx::drawingChangedSinceSaved());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // While a command asks for something, closing answers it with a cancel first.
    if (m_waiting && m_waiting != qx::InputKind::Text) {
        submit(QStringLiteral("cancel"));
        event->ignore();
        return;
    }
    if (!m_closed && !mayCloseDrawing()) {
        event->ignore();
        return;
    }
    m_closed = true;
    event->accept();
}

bool MainWindow::mayCloseDrawing()
{
    if (!qx::drawingChangedSinceSaved()) return true;
    const QString name = QFileInfo(qs(qx::currentFileName())).fileName();
    const auto choice = QMessageBox::question(this, QStringLiteral("qxcad"),
                                              QStringLiteral("Save the changes to %1?").arg(name),
                                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                              QMessageBox::Cancel);
    if (choice == QMessageBox::Discard) return true;
    if (choice != QMessageBox::Save) return false;
    const qx::BuiltinHandler* save = qx::findBuiltin(u"SAVE");
    return save && (*save)(u"");
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_input && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && m_waiting && m_waiting != qx::InputKind::Text) {
            submit(QStringLiteral("cancel"));
            return true;
        }
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && !m_entered.isEmpty()) {
            m_recall = std::clamp(m_recall + (key == Qt::Key_Up ? -1 : 1), 0, int(m_entered.size()));
            m_input->setText(m_recall < int(m_entered.size()) ? m_entered[m_recall] : QString());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace qxgui
