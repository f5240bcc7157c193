#include "canvas_text.h"

#include <cstring>

#include "canvas_surface.h"
#include "saver_settings.h"
#include "wide_calls.h"

namespace {

const char CANVAS_FACE[] = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";  // ＭＳ 明朝
const WCHAR CANVAS_FACE_WIDE[] = L"\xFF2D\xFF33 \x660E\x671D";
const BYTE CANVAS_PITCH_AND_FAMILY = FIXED_PITCH | FF_MODERN;
const int TEXT_TAB_LENGTH = 4;
const int TEXT_LEFT_MARGIN = 1;
const int DRAW_TEXT_BYTES = 512;

}  // namespace

void DrawCanvasText(int left, int top, int boxWidth, int boxHeight, const char* text, ColourTriple textColour,
                    ColourTriple backgroundColour, HDC context)
{
    char copy[DRAW_TEXT_BYTES];
    strncpy(copy, text, sizeof copy - 1);
    copy[sizeof copy - 1] = '\0';
    FillBox(context, left, top, left + boxWidth, top + boxHeight, backgroundColour);

    // The cell is as wide as it is high, so a line of L bytes is L x S pixels.
    // On the NT family the face name and the text are given as Unicode, converted from Shift-JIS here:
    // through the "A" calls they would pass through the system's code page, and a face name that does not
    // survive it lets the system pick another face. The 9x family keeps the "A" calls.
    const WideCalls* wide = BoundWideCalls();
    HFONT font = wide ? wide->createFont(boxHeight, boxHeight, 0, 0, boxHeight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                        CANVAS_PITCH_AND_FAMILY, CANVAS_FACE_WIDE)
                          : CreateFontA(boxHeight, boxHeight, 0, 0, boxHeight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                        CANVAS_PITCH_AND_FAMILY, CANVAS_FACE);
    HGDIOBJ previousFont = SelectObject(context, font);
    COLORREF previousColour = SetTextColor(context, ColourToPlatform(textColour));
    SetBkMode(context, TRANSPARENT);
    SetBkColor(context, ColourToPlatform(backgroundColour));

    RECT box = {left, top, left + boxWidth, top + boxHeight};
    DRAWTEXTPARAMS params = {sizeof(DRAWTEXTPARAMS), TEXT_TAB_LENGTH, TEXT_LEFT_MARGIN, 0, 0};
    // Text is clipped to its box; Wine's drawing of tiny faces can spill a row below it.
    int savedContext = SaveDC(context);
    IntersectClipRect(context, box.left, box.top, box.right, box.bottom);
    WCHAR wideText[DRAW_TEXT_BYTES];
    if (wide && MultiByteToWideChar(SETTINGS_CODE_PAGE, 0, copy, -1, wideText, DRAW_TEXT_BYTES))
        wide->drawTextEx(context, wideText, -1, &box, DT_SINGLELINE, &params);
    else
        DrawTextExA(context, copy, -1, &box, DT_SINGLELINE, &params);
    RestoreDC(context, savedContext);

    SetTextColor(context, previousColour);
    SelectObject(context, previousFont);
    DeleteObject(font);
}
