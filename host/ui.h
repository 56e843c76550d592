// The host's windows and dialogs.
#pragma once

// A window of the host; dialogs take one as their parent.
struct QxWindow;
using QxWindowHandle = QxWindow*;

// The host's main window.
QxWindowHandle pwsw_qxappMainWnd();
