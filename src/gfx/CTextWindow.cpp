// Line breaking with colour and background carried over, the bounded queue, and the framed drawing.
#include "gfx/CTextWindow.h"

#include <algorithm>

#include "gfx/Primitives.h"
#include "runtime/CallStack.h"

CTextWindow::CTextWindow(float left, float top, float width, float height, uint32_t maxLines)
    : m_maxLines(maxLines),
      m_left(left),
      m_right(left + width),
      m_top(top),
      m_bottom(top + height),
      m_width(width),
      m_height(height) {
    m_inner.SetPosition(left, top);
    // A full window of chat is the largest text on the screen; its blanks cost fragments that draw nothing.
    m_inner.SetLeaveOutBlankGlyphs(true);
    m_moreBelow.SetBackground(0, 0, 0);
    m_moreBelow.SetColour(255, 255, 255, 255);
    m_moreBelow.Append("more below");
}

CTextWindow::~CTextWindow() = default;

uint32_t CTextWindow::CharactersPerLine() const {
    return m_width > 0 ? uint32_t(m_width * 0.125f) : 0;
}

uint32_t CTextWindow::VisibleLines() const {
    return m_height > 0 ? uint32_t(m_height * (1.0f / 12.0f)) : 0;
}

void CTextWindow::AddText(const std::string& message) {
    AddText(CText(message));
}

void CTextWindow::AddText(const CText& message) {
    if (m_observer) m_observer(message.GetRawText());
    const std::size_t linesBefore = m_lines.size();
    const int perLine = int(CharactersPerLine());
    const std::string& bytes = message.GetRawText();
    uint8_t red = m_red, green = m_green, blue = m_blue, alpha = m_alpha;
    bool backgroundOn = false;
    uint8_t bgRed = 0, bgGreen = 0, bgBlue = 0;

    CText line;
    line.ClearBackground();
    line.SetColour(red, green, blue, alpha);
    int remaining = perLine;
    bool sizeWarned = false;
    int linesMade = 0;

    for (size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c <= 0x02) {
            if (bytes.size() - i < 5) break;  // a code cut short ends the message
            auto b = [&](int k) { return static_cast<uint8_t>(bytes[i + k]); };
            if (c == 0x00) {
                blue = b(1), green = b(2), red = b(3), alpha = b(4);
                line.SetColour(red, green, blue, alpha);
            } else if (c == 0x02) {
                if (b(4) == 0) {
                    line.ClearBackground();
                    backgroundOn = false;
                } else {
                    bgBlue = b(1), bgGreen = b(2), bgRed = b(3);
                    line.SetBackground(bgRed, bgGreen, bgBlue);
                    backgroundOn = true;
                }
            } else if (!sizeWarned) {
                sizeWarned = true;
                ReportMisuse(
                    "Warning: Size Change not allowed in CText added to CTextWindow.\n  -Message:\n" +
                        message.GetPlainText() + "\n",
                    "  -Call made from:");
            }
            i += 4;
            continue;
        }
        if (c != '\n') line.Append(char(c));
        --remaining;
        if (remaining == 0 || c == '\n') {
            m_lines.push_back(line);
            line.Clear();
            line.SetColour(red, green, blue, alpha);
            if (backgroundOn) {
                line.SetBackground(bgRed, bgGreen, bgBlue);
            } else {
                line.ClearBackground();
            }
            line.Append(' ');
            ++linesMade;
            remaining = perLine - 1;
        }
    }
    if (!(linesMade >= 1 && perLine - remaining < 2)) m_lines.push_back(line);
    m_dirty = true;
    // Scrolled back, the view keeps showing the same lines while new ones arrive below.
    if (m_scrolledBack > 0) m_scrolledBack += uint32_t(m_lines.size() - linesBefore);
    while (m_lines.size() > m_maxLines) m_lines.pop_front();
    Scroll(0);
}

void CTextWindow::Scroll(int lines) {
    const std::size_t visible = VisibleLines();
    const long long most = m_lines.size() > visible ? static_cast<long long>(m_lines.size() - visible) : 0;
    const long long wanted = std::clamp(static_cast<long long>(m_scrolledBack) + lines, 0LL, most);
    if (uint32_t(wanted) != m_scrolledBack) m_dirty = true;
    m_scrolledBack = uint32_t(wanted);
}

void CTextWindow::VisibleRange(std::size_t* first, std::size_t* end) const {
    const std::size_t visible = VisibleLines();
    *end = m_lines.size() - std::min<std::size_t>(m_scrolledBack, m_lines.size());
    *first = *end > visible ? *end - visible : 0;
}

std::string CTextWindow::VisibleText() const {
    std::size_t first = 0, end = 0;
    VisibleRange(&first, &end);
    std::string text;
    for (std::size_t i = first; i < end; ++i) text += m_lines[i].GetPlainText() + "\n";
    return text;
}

void CTextWindow::ScrollToEnd() {
    if (m_scrolledBack != 0) m_dirty = true;
    m_scrolledBack = 0;
}

void CTextWindow::SetPosition(float x, float y) {
    m_left = x;
    m_right = x + m_width;
    m_top = y;
    m_bottom = y + m_height;
    m_inner.SetPosition(x, y);
}

void CTextWindow::SetDefaultColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    m_red = red;
    m_green = green;
    m_blue = blue;
    m_alpha = alpha;
}

void CTextWindow::Draw() {
    constexpr uint32_t kWhite = 0xffffffffu;
    DXG::DrawLine(m_left, m_top, kWhite, m_right, m_top, kWhite);
    DXG::DrawLine(m_left, m_bottom, kWhite, m_right, m_bottom, kWhite);
    DXG::DrawLine(m_left, m_top, kWhite, m_left, m_bottom, kWhite);
    DXG::DrawLine(m_right, m_top, kWhite, m_right, m_bottom, kWhite);
    if (m_dirty) {
        m_inner.Clear();
        size_t first = 0, end = 0;
        VisibleRange(&first, &end);
        for (size_t i = first; i < end; ++i) {
            m_inner.Append(m_lines[i]);
            m_inner.Append('\n');
        }
        m_dirty = false;
    }
    m_inner.Draw();
    if (m_scrolledBack > 0) {
        // Right-aligned on the bottom edge, below the last line of text.
        m_moreBelow.SetPosition(m_right - 8.0f * 10.0f - 4.0f, m_bottom - 10.0f);
        m_moreBelow.Draw();
    }
}
