#include "StyledText.h"

#include <algorithm>
#include <cassert>

namespace SyntaxHighlighter {

StyledText::StyledText(std::u16string text, const TextAttributes& attributes) {
    append(text, attributes);
}

std::size_t StyledText::runIndexAt(std::size_t position) const {
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                               [](std::size_t p, const Run& run) { return p < run.range.location; });
    return static_cast<std::size_t>(it - m_runs.begin()) - 1;
}

const TextAttributes& StyledText::attributes(std::size_t position, Range* effectiveRange) const {
    assert(position < m_text.size());
    const Run& run = m_runs[runIndexAt(position)];
    if (effectiveRange)
        *effectiveRange = run.range;
    return run.attributes;
}

void StyledText::append(std::u16string_view text, const TextAttributes& attributes) {
    if (text.empty())
        return;
    std::size_t start = m_text.size();
    m_text.append(text);
    if (!m_runs.empty() && m_runs.back().attributes == attributes)
        m_runs.back().range.length += text.size();
    else
        m_runs.push_back({{start, text.size()}, attributes});
}

void StyledText::splitAt(std::size_t position) {
    if (position == 0 || position >= m_text.size())
        return;
    std::size_t index = runIndexAt(position);
    Run& run = m_runs[index];
    if (run.range.location == position)
        return;
    Run tail{{position, run.range.end() - position}, run.attributes};
    run.range.length = position - run.range.location;
    m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(tail));
}

void StyledText::coalesce() {
    std::vector<Run> merged;
    merged.reserve(m_runs.size());
    for (Run& run : m_runs) {
        if (run.range.length == 0)
            continue;
        if (!merged.empty() && merged.back().attributes == run.attributes)
            merged.back().range.length += run.range.length;
        else
            merged.push_back(std::move(run));
    }
    m_runs = std::move(merged);
}

void StyledText::replaceCharacters(Range range, std::u16string_view text) {
    std::size_t start = std::min(range.location, m_text.size());
    std::size_t end = start + std::min(range.length, m_text.size() - start);
    TextAttributes inserted;
    if (end > start)
        inserted = attributes(start);
    else if (start > 0)
        inserted = attributes(start - 1);
    else if (!m_text.empty())
        inserted = attributes(0);

    splitAt(start);
    splitAt(end);
    std::vector<Run> runs;
    runs.reserve(m_runs.size() + 1);
    for (Run& run : m_runs) {
        if (run.range.end() <= start)
            runs.push_back(std::move(run));
    }
    if (!text.empty())
        runs.push_back({{start, text.size()}, inserted});
    for (Run& run : m_runs) {
        if (run.range.location >= end && run.range.length > 0) {
            run.range.location = run.range.location - end + start + text.size();
            runs.push_back(std::move(run));
        }
    }
    m_text.replace(start, end - start, text);
    m_runs = std::move(runs);
    coalesce();
}

void StyledText::setAttributes(Range range, const TextAttributes& attributes) {
    replaceRuns(range, {Run{{0, range.length}, attributes}});
}

void StyledText::copyAttributes(const StyledText& source, std::size_t location) {
    replaceRuns({location, source.length()}, source.m_runs);
}

void StyledText::replaceRuns(Range range, const std::vector<Run>& runs) {
    std::size_t start = std::min(range.location, m_text.size());
    std::size_t end = start + std::min(range.length, m_text.size() - start);
    if (start == end)
        return;
    splitAt(start);
    splitAt(end);
    std::vector<Run> merged;
    merged.reserve(m_runs.size() + runs.size());
    for (Run& run : m_runs) {
        if (run.range.end() <= start)
            merged.push_back(std::move(run));
    }
    for (const Run& run : runs) {
        std::size_t runStart = start + run.range.location;
        if (runStart >= end)
            break;
        merged.push_back({{runStart, std::min(run.range.length, end - runStart)}, run.attributes});
    }
    for (Run& run : m_runs) {
        if (run.range.location >= end)
            merged.push_back(std::move(run));
    }
    m_runs = std::move(merged);
    coalesce();
}

} // namespace SyntaxHighlighter
