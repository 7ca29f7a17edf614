// The program's one main window. Start-up creates it; the page frame records it when
// it is created (Frame().window in page/geometry.h), and every part that creates
// controls or sends the main window a message reads it there.
#pragma once

#include "page/geometry.h"
#include "platform/win32.h"

constexpr const WCHAR* kWindowClassName = u"QTL2quietharbour";
