// DrawTextA: the text is cut into lines (breaks, then words that pass the right edge), each line
// into runs between tabs, and each run drawn with the drawing layer's text calls.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

namespace {

// One line as drawn: its characters without prefixes, and which one is underlined.
struct Line {
  std::string text;
  std::ptrdiff_t underline = -1;
};

class Layout {
 public:
  Layout(HDC dc, UINT format) : FDC(dc), FFormat(format) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    FLineHeight = tm.tmHeight;
    FTabWidth = 8 * std::max<LONG>(tm.tmAveCharWidth, 1);
  }

  int LineHeight() const { return FLineHeight; }

  // Width of a line with its tabs expanded.
  int Width(std::string_view text) const {
    int x = 0;
    ForEachRun(text, [&](std::string_view run, int at) { x = at + Extent(run); });
    return x;
  }

  // Calls draw(run, x) for the runs between tabs, x counted from the line's start.
  template <class F>
  void ForEachRun(std::string_view text, F draw) const {
    int x = 0;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = (FFormat & DT_EXPANDTABS) ? text.find('\t', start) : std::string_view::npos;
      const std::string_view run = text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
      draw(run, x);
      if (tab == std::string_view::npos) return;
      x = (x + Extent(run)) / FTabWidth * FTabWidth + FTabWidth;
      start = tab + 1;
    }
  }

  int Extent(std::string_view text) const {
    SIZE size{};
    GetTextExtentPoint32A(FDC, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  std::vector<Line> Lines(std::string_view text, int width) const {
    std::vector<std::string> broken;
    if (FFormat & DT_SINGLELINE) {
      broken.emplace_back(text);
    } else {
      std::size_t start = 0;
      for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        broken.emplace_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
      }
    }
    std::vector<Line> lines;
    for (const std::string& b : broken) {
      for (const std::string& part : (FFormat & DT_WORDBREAK) && !(FFormat & DT_SINGLELINE) ? Wrap(b, width)
                                                                                           : std::vector{b})
        lines.push_back(StripPrefixes(part));
    }
    return lines;
  }

 private:
  // Words that pass the width go to a new line; a word longer than the width stays whole.
  std::vector<std::string> Wrap(const std::string& text, int width) const {
    std::vector<std::string> out;
    std::string line;
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t end = std::min(text.find(' ', text.find_first_not_of(' ', i)), text.size());
      const std::string word = text.substr(i, end - i);
      if (!line.empty() && Width(StripPrefixes(line + word).text) > width) {
        out.push_back(line);
        line = word.substr(std::min(word.find_first_not_of(' '), word.size()));
      } else {
        line += word;
      }
      i = end;
    }
    out.push_back(line);
    return out;
  }

  Line StripPrefixes(const std::string& text) const {
    if (FFormat & DT_NOPREFIX) return {text, -1};
    Line line;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) {
        ++i;
        if (text[i] != '&') line.underline = static_cast<std::ptrdiff_t>(line.text.size());
      }
      line.text += text[i];
    }
    return line;
  }

  HDC FDC;
  UINT FFormat;
  int FLineHeight = 0;
  int FTabWidth = 64;
};

}  // namespace

int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format) {
  if (!hdc || !rect || (!text && count != 0)) return 0;
  const std::string_view all(text ? text : "", count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
  const Layout layout(hdc, format);
  const RECT box = *rect;
  const std::vector<Line> lines = layout.Lines(all, box.right - box.left);
  const int height = layout.LineHeight() * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int width = 0;
    for (const Line& l : lines) width = std::max(width, layout.Width(l.text));
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }
  int top = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_BOTTOM) top = box.bottom - layout.LineHeight();
    else if (format & DT_VCENTER) top = box.top + (box.bottom - box.top - layout.LineHeight()) / 2;
  }
  const int saved = SaveDC(hdc);
  if (!(format & DT_NOCLIP)) IntersectClipRect(hdc, box.left, box.top, box.right, box.bottom);
  HPEN pen = CreatePen(PS_SOLID, 1, GetTextColor(hdc));
  HGDIOBJ previousPen = SelectObject(hdc, pen);
  int y = top;
  for (const Line& line : lines) {
    const int width = layout.Width(line.text);
    int x = box.left;
    if (format & DT_RIGHT) x = box.right - width;
    else if (format & DT_CENTER) x = box.left + (box.right - box.left - width) / 2;
    std::size_t done = 0;
    layout.ForEachRun(line.text, [&](std::string_view run, int at) {
      TextOutA(hdc, x + at, y, run.data(), static_cast<int>(run.size()));
      const auto first = static_cast<std::ptrdiff_t>(done);
      if (line.underline >= first && line.underline < first + static_cast<std::ptrdiff_t>(run.size())) {
        const auto before = static_cast<std::size_t>(line.underline - first);
        const int from = x + at + layout.Extent(run.substr(0, before));
        const int to = x + at + layout.Extent(run.substr(0, before + 1));
        MoveToEx(hdc, from, y + layout.LineHeight() - 1, nullptr);
        LineTo(hdc, to, y + layout.LineHeight() - 1);
      }
      done += run.size() + 1;
    });
    y += layout.LineHeight();
  }
  SelectObject(hdc, previousPen);
  DeleteObject(pen);
  RestoreDC(hdc, saved);
  return y - box.top;
}
