#include "TextLines.h"

#include <QTextBoundaryFinder>

namespace TextLines {

QList<QStringView> split(QStringView text) {
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text[i].unicode())) {
            lines.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.sliced(start));
    return lines;
}

QStringView trimHorizontal(QStringView line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isHorizontalSpace(line[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin);
}

QStringView trimAll(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) {
        return c.isSpace() || isNewline(c.unicode());
    };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

qsizetype characterCount(QStringView text) {
    if (text.isEmpty())
        return 0;
    // In ASCII text every character is one cluster except CR LF, which is one together; this
    // covers most large clips at a fraction of the cost of the full segmentation.
    qsizetype ascii = 0;
    qsizetype crlf = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            break;
        ++ascii;
        if (c == u'\n' && i > 0 && text[i - 1] == u'\r')
            ++crlf;
    }
    if (ascii == text.size())
        return ascii - crlf;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace TextLines
