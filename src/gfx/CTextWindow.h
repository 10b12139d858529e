// CTextWindow: a framed rectangle showing the most recent lines of a growing list of messages. Messages
// are broken into lines of a fixed number of characters, keep their colours and backgrounds across the
// breaks, and are kept in a bounded queue; the visible lines are joined into one inner CText.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "gfx/CText.h"

class CTextWindow {
public:
    CTextWindow(float left, float top, float width, float height, uint32_t maxLines);
    virtual ~CTextWindow();

    void AddText(const CText& message);
    void AddText(const std::string& message);
    void SetPosition(float x, float y);
    void SetDefaultColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
    void Draw();

    // Scrollback: lines > 0 moves the view back toward older lines, < 0 forward; the view stays within the
    // kept lines. While scrolled back, new lines leave the view where it is and a "more below" mark shows.
    void Scroll(int lines);
    void ScrollToEnd();
    uint32_t LinesScrolledBack() const { return m_scrolledBack; }
    // The plain text of the lines the window shows, one per line, top first.
    std::string VisibleText() const;
    // Called with each message's bytes as it is added (the chat log's hook).
    void SetTextObserver(std::function<void(const std::string&)> observer) {
        m_observer = std::move(observer);
    }

    // The kept lines, oldest first.
    const std::deque<CText>& GetLines() const { return m_lines; }
    uint32_t CharactersPerLine() const;  // whole part of width / 8
    uint32_t VisibleLines() const;       // whole part of height / 12

private:
    void VisibleRange(std::size_t* first, std::size_t* end) const;
    std::deque<CText> m_lines;
    uint32_t m_maxLines;
    float m_left, m_right, m_top, m_bottom, m_width, m_height;        // pixels
    uint8_t m_red = 200, m_green = 200, m_blue = 200, m_alpha = 255;  // colour at the start of each message
    CText m_inner;
    CText m_moreBelow;            // the mark shown while scrolled back
    uint32_t m_scrolledBack = 0;  // lines between the newest line and the bottom of the view
    std::function<void(const std::string&)> m_observer;
    bool m_dirty = true;
};
