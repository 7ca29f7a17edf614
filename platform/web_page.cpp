// The page's side of platform/web_page.h, through the functions web/glue.js defines on
// Module.qh.
#include "platform/web_page.h"

#include <emscripten.h>

EM_JS(int, JsTakeScript, (int* scale), {
    var job = Module.qh.takeScript();
    if (job === null) return 0;
    HEAP32[scale >> 2] = job.scale;
    var s = job.text;
    var size = lengthBytesUTF8(s) + 1;
    var at = _malloc(size);
    stringToUTF8(s, at, size);
    return at;
});
EM_JS(void, JsScriptFinished, (int code), { Module.qh.scriptFinished(code); });
EM_JS(int, JsTakePress, (), { return Module.qh.takePress(); });
EM_JS(int, JsTakeAnswer, (char* out, int size), {
    var a = Module.qh.takeAnswer();
    if (a === null) return -1;
    stringToUTF8(a.text, out, size);
    return a.box;
});
EM_JS(int, JsTakeDrag, (int* dy, int* starting), {
    var d = Module.qh.takeDrag();
    if (d === null) return 0;
    HEAP32[dy >> 2] = d.dy;
    HEAP32[starting >> 2] = d.starting ? 1 : 0;
    return 1;
});
EM_JS(int, JsLockHeld, (), { return Module.qh.lockHeld ? 1 : 0; });
EM_JS(void, JsMirror, (const char* html), { Module.qh.mirror(UTF8ToString(html)); });
EM_JS(void, JsState, (const char* state), { Module.qh.setState(UTF8ToString(state)); });

char* WebTakeScript(int* scale) { return reinterpret_cast<char*>(JsTakeScript(scale)); }
void WebScriptFinished(int code) { JsScriptFinished(code); }
int WebTakePress() { return JsTakePress(); }
int WebTakeAnswer(char* text, int size) { return size > 0 ? JsTakeAnswer(text, size) : -1; }

bool WebTakeDrag(int* dy, bool* starting) {
    int first = 0;
    if (!JsTakeDrag(dy, &first)) return false;
    *starting = first != 0;
    return true;
}

bool WebLockHeld() { return JsLockHeld() != 0; }
void WebShowMirror(const char* html) { JsMirror(html); }
void WebSetState(const char* state) { JsState(state); }

EM_JS(int, JsTakeScriptRecord, (unsigned char* out, int size), {
    var bytes = Module.qh.takeScriptRecord();
    if (!bytes || bytes.length > size) return 0;
    HEAPU8.set(bytes, out);
    return bytes.length;
});
EM_JS(void, JsStoryTurned, (int paragraph), { Module.qh.storyTurned(paragraph); });
EM_JS(int, JsTakeBack, (), { return Module.qh.takeBack() ? 1 : 0; });
EM_JS(void, JsStayInBook, (), { Module.qh.stayInBook(); });
EM_JS(void, JsSetTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(int, JsPutLoadedRecord, (), { return Module.qh.putLoadedRecord() ? 1 : 0; });

int WebTakeScriptRecord(unsigned char* out, int size) { return JsTakeScriptRecord(out, size); }
bool WebPutLoadedRecord() { return JsPutLoadedRecord() != 0; }
void WebStoryTurned(int paragraph) { JsStoryTurned(paragraph); }
bool WebTakeBack() { return JsTakeBack() != 0; }
void WebStayInBook() { JsStayInBook(); }
void WebSetTitle(const char* title) { JsSetTitle(title); }
