#include "JsonFormatter.h"

#include "TextLines.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace JsonFormatter {

namespace {

bool isJsonSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c) {
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// One member of an object: where its key and its value start in the text, and the index of the
// object's next member (-1 after the last).
struct Member {
    qsizetype keyStart;
    qsizetype keyEnd;
    qsizetype valueStart;
    qsizetype next = -1;
};

// One object: where it starts and ends (after its brace), and its members.
struct ObjectInfo {
    qsizetype start;
    qsizetype end = 0;
    qsizetype firstMember = -1;
    qsizetype lastMember = -1;
    qsizetype memberCount = 0;
};

// What the layout needs to sort members: every object in the order they start, and every member in
// the order written (those of one object linked together).
struct Structure {
    std::vector<ObjectInfo> objects;
    std::vector<Member> members;
};

// Reads the text once, checking it; with `objects` set it also notes every object's members (in
// the order the objects start), which the layout needs to sort them.
class Reader {
public:
    Reader(QStringView text, Structure* structure) : m_text(text), m_structure(structure) {}

    // On failure, the problem and the offset where it was found.
    bool read() {
        skipSpace();
        if (atEnd() || (peek() != u'{' && peek() != u'['))
            return fail(Problem::notJSON);
        std::vector<Open> open;
        enum class Expect { value, valueOrClose, keyOrClose, key, separatorOrClose } expect = Expect::value;
        while (true) {
            skipSpace();
            if (atEnd())
                return fail(Problem::notJSON);
            const QChar c = peek();
            switch (expect) {
            case Expect::keyOrClose:
            case Expect::key: {
                if (c == u'}' && expect == Expect::keyOrClose) {
                    close(open);
                    break;
                }
                if (c != u'"')
                    return fail(Problem::notJSON);
                const qsizetype keyStart = m_at;
                if (!string())
                    return false;
                const qsizetype keyEnd = m_at;
                skipSpace();
                if (atEnd() || peek() != u':')
                    return fail(Problem::notJSON);
                ++m_at;
                skipSpace();
                if (m_structure)
                    addMember(open.back().index, {keyStart, keyEnd, m_at});
                expect = Expect::value;
                continue;
            }
            case Expect::separatorOrClose:
                if (c == u',') {
                    ++m_at;
                    expect = open.back().object ? Expect::key : Expect::value;
                    continue;
                }
                if (c != (open.back().object ? u'}' : u']'))
                    return fail(Problem::notJSON);
                close(open);
                break;
            case Expect::valueOrClose:
                if (c == u']') {
                    close(open);
                    break;
                }
                [[fallthrough]];
            case Expect::value:
                if (c == u'{' || c == u'[') {
                    if (static_cast<int>(open.size()) >= kMaxDepth)
                        return fail(Problem::tooDeep);
                    const bool object = c == u'{';
                    qsizetype index = -1;
                    if (object && m_structure) {
                        index = static_cast<qsizetype>(m_structure->objects.size());
                        m_structure->objects.push_back({m_at});
                    }
                    open.push_back({object, index});
                    ++m_at;
                    expect = object ? Expect::keyOrClose : Expect::valueOrClose;
                    continue;
                }
                if (!scalar())
                    return false;
                expect = Expect::separatorOrClose;
                continue;
            }
            // A container closed.
            if (open.empty()) {
                skipSpace();
                return atEnd() || fail(Problem::notJSON);
            }
            expect = Expect::separatorOrClose;
        }
    }

    Problem problem() const { return m_problem; }
    qsizetype offset() const { return m_at; }

private:
    // An open container: is it an object, and (for objects) its index in the structure.
    struct Open {
        bool object;
        qsizetype index;
    };

    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek() const { return m_text[m_at]; }

    // At the closing bracket of the innermost open container.
    void close(std::vector<Open>& open) {
        ++m_at;
        if (open.back().object && m_structure)
            m_structure->objects[open.back().index].end = m_at;
        open.pop_back();
    }

    void addMember(qsizetype objectIndex, Member member) {
        std::vector<Member>& members = m_structure->members;
        // Every member takes at least four units of text ("":0 and a comma): reserved once, so the
        // list never moves while it grows.
        if (members.capacity() == 0)
            members.reserve(static_cast<size_t>(m_text.size() / 4 + 1));
        const qsizetype index = static_cast<qsizetype>(members.size());
        members.push_back(member);
        ObjectInfo& object = m_structure->objects[objectIndex];
        if (object.lastMember >= 0)
            members[object.lastMember].next = index;
        else
            object.firstMember = index;
        object.lastMember = index;
        ++object.memberCount;
    }

    bool fail(Problem problem) {
        m_problem = problem;
        return false;
    }

    void skipSpace() {
        while (!atEnd() && isJsonSpace(peek()))
            ++m_at;
    }

    // At the opening quote; ends after the closing one.
    bool string() {
        ++m_at;
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u'"') {
                ++m_at;
                return true;
            }
            if (c.unicode() < 0x20)
                return fail(Problem::notJSON);
            if (c == u'\\') {
                ++m_at;
                if (atEnd())
                    break;
                const QChar escaped = peek();
                if (escaped == u'u') {
                    for (int i = 0; i < 4; ++i) {
                        ++m_at;
                        if (atEnd() || !isHexDigit(peek()))
                            return fail(Problem::notJSON);
                    }
                } else if (!QStringView(u"\"\\/bfnrt").contains(escaped)) {
                    return fail(Problem::notJSON);
                }
            }
            ++m_at;
        }
        return fail(Problem::notJSON);
    }

    bool digits() {
        if (atEnd() || !isDigit(peek()))
            return fail(Problem::notJSON);
        while (!atEnd() && isDigit(peek()))
            ++m_at;
        return true;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    bool number() {
        if (peek() == u'-')
            ++m_at;
        if (!atEnd() && peek() == u'0')
            ++m_at;
        else if (!digits())
            return false;
        if (!atEnd() && peek() == u'.') {
            ++m_at;
            if (!digits())
                return false;
        }
        if (!atEnd() && (peek() == u'e' || peek() == u'E')) {
            ++m_at;
            if (!atEnd() && (peek() == u'+' || peek() == u'-'))
                ++m_at;
            if (!digits())
                return false;
        }
        return true;
    }

    bool literal(QStringView word) {
        if (!m_text.sliced(m_at).startsWith(word))
            return fail(Problem::notJSON);
        m_at += word.size();
        return true;
    }

    bool scalar() {
        const QChar c = peek();
        if (c == u'"')
            return string();
        if (c == u'-' || isDigit(c))
            return number();
        if (c == u't')
            return literal(u"true");
        if (c == u'f')
            return literal(u"false");
        if (c == u'n')
            return literal(u"null");
        return fail(Problem::notJSON);
    }

    QStringView m_text;
    Structure* m_structure;
    qsizetype m_at = 0;
    Problem m_problem = Problem::none;
};

// A key's value, for sorting: the written key when it has no escapes, else the decoded one.
QString keyValue(QStringView key) {
    QString value;
    value.reserve(key.size());
    for (qsizetype i = 1; i + 1 < key.size(); ++i) {
        const QChar c = key[i];
        if (c != u'\\') {
            value += c;
            continue;
        }
        const QChar escaped = key[++i];
        switch (escaped.unicode()) {
        case u'b':
            value += u'\b';
            break;
        case u'f':
            value += u'\f';
            break;
        case u'n':
            value += u'\n';
            break;
        case u'r':
            value += u'\r';
            break;
        case u't':
            value += u'\t';
            break;
        case u'u':
            value += QChar(key.sliced(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
            break;
        default:
            value += escaped;
        }
    }
    return value;
}

// Writes the checked text out again, laid out, without recursion.
class Writer {
public:
    Writer(QStringView text, const Structure& structure) : m_text(text), m_structure(structure) {}

    std::optional<QString> write() {
        grow(std::min<qsizetype>(m_text.size() * 2, kMaxFormattedLength));
        openAt(0, 0);
        while (!m_frames.empty() && !m_overflow) {
            Frame& frame = m_frames.back();
            qsizetype valueAt = -1;
            if (frame.object) {
                if (frame.next == static_cast<qsizetype>(frame.order.size())) {
                    close(u'}');
                    continue;
                }
                const Member& member = m_structure.members[frame.order[frame.next]];
                startLine(frame.next == 0, frame.level + 1);
                put(keyOf(member));
                put(u": ");
                ++frame.next;
                valueAt = member.valueStart;
            } else {
                skipSpace(frame.scan);
                if (m_text[frame.scan] == u',') {
                    ++frame.scan;
                    skipSpace(frame.scan);
                }
                if (m_text[frame.scan] == u']') {
                    close(u']');
                    continue;
                }
                startLine(frame.next == 0, frame.level + 1);
                ++frame.next;
                valueAt = frame.scan;
            }
            const QChar c = m_text[valueAt];
            if (c == u'{' || c == u'[') {
                openAt(valueAt, frame.level + 1);
                continue;
            }
            const qsizetype end = scalarEnd(valueAt);
            put(m_text.sliced(valueAt, end - valueAt));
            if (!frame.object)
                frame.scan = end;
        }
        if (m_overflow)
            return std::nullopt;
        m_out.truncate(m_size);
        return std::move(m_out);
    }

private:
    struct Frame {
        bool object;
        int level;
        // Values written so far.
        qsizetype next = 0;
        // Arrays: where reading goes on.
        qsizetype scan = 0;
        // Objects: their members (indexes into Structure::members) in the order they are written.
        qsizetype objectIndex = -1;
        std::vector<qsizetype> order;
    };

    void skipSpace(qsizetype& at) const {
        while (isJsonSpace(m_text[at]))
            ++at;
    }

    QStringView keyOf(const Member& member) const {
        return m_text.sliced(member.keyStart, member.keyEnd - member.keyStart);
    }

    void grow(qsizetype size) {
        m_out.resize(size);
        m_buffer = m_out.data();
    }

    // Room for `count` more units; false (and the layout refused) when the limit would be passed. The
    // buffer never grows beyond the limit either.
    bool makeRoom(qsizetype count) {
        const qsizetype needed = m_size + count;
        if (needed > kMaxFormattedLength) {
            m_overflow = true;
            return false;
        }
        if (needed > m_out.size())
            grow(std::min(kMaxFormattedLength, std::max(needed, m_out.size() * 2)));
        return true;
    }

    void put(QStringView piece) {
        if (!makeRoom(piece.size()))
            return;
        std::copy(piece.begin(), piece.end(), m_buffer + m_size);
        m_size += piece.size();
    }

    void startLine(bool first, int level) {
        put(first ? u"\n" : u",\n");
        indent(level);
    }

    void indent(int level) {
        const qsizetype count = 4 * static_cast<qsizetype>(level);
        if (!makeRoom(count))
            return;
        std::fill_n(m_buffer + m_size, count, QChar(u' '));
        m_size += count;
    }

    void openAt(qsizetype at, int level) {
        Frame frame;
        frame.object = m_text[at] == u'{';
        frame.level = level;
        put(m_text.sliced(at, 1));
        if (!frame.object) {
            frame.scan = at + 1;
            m_frames.push_back(std::move(frame));
            return;
        }
        const auto found =
            std::lower_bound(m_structure.objects.begin(), m_structure.objects.end(), at,
                             [](const ObjectInfo& object, qsizetype start) { return object.start < start; });
        frame.objectIndex = found - m_structure.objects.begin();
        const qsizetype count = found->memberCount;
        // Keys are compared by value: escaped ones decoded, the others as written.
        std::vector<QString> decoded;
        std::vector<QStringView> keys;
        keys.reserve(static_cast<size_t>(count));
        frame.order.reserve(static_cast<size_t>(count));
        for (qsizetype index = found->firstMember; index >= 0; index = m_structure.members[index].next) {
            const QStringView key = keyOf(m_structure.members[index]);
            keys.push_back(key.sliced(1, key.size() - 2));
            if (key.contains(u'\\'))
                decoded.push_back(keyValue(key));
            frame.order.push_back(index);
        }
        for (qsizetype i = 0, next = 0; i < count && !decoded.empty(); ++i) {
            if (keys[i].contains(u'\\'))
                keys[i] = decoded[next++];
        }
        // Sorted by position in `keys`, then mapped back to member indexes.
        std::vector<qsizetype> positions(static_cast<size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            positions[i] = i;
        std::stable_sort(positions.begin(), positions.end(),
                         [&](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
        std::vector<qsizetype> sorted(static_cast<size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            sorted[i] = frame.order[positions[i]];
        frame.order = std::move(sorted);
        m_frames.push_back(std::move(frame));
    }

    // Every container, empty ones too, closes on a line of its own.
    void close(QChar bracket) {
        const Frame& frame = m_frames.back();
        put(u"\n");
        indent(frame.level);
        put(QStringView(&bracket, 1));
        const qsizetype end = frame.object ? m_structure.objects[frame.objectIndex].end : frame.scan + 1;
        m_frames.pop_back();
        // An enclosing array reads on after the bracket; an object knows where its members start.
        if (!m_frames.empty() && !m_frames.back().object)
            m_frames.back().scan = end;
    }

    // Where the string, number or literal at `at` ends (the text has been checked).
    qsizetype scalarEnd(qsizetype at) const {
        if (m_text[at] == u'"') {
            ++at;
            while (m_text[at] != u'"')
                at += m_text[at] == u'\\' ? 2 : 1;
            return at + 1;
        }
        while (at < m_text.size() && !isJsonSpace(m_text[at]) && m_text[at] != u',' && m_text[at] != u']' &&
               m_text[at] != u'}')
            ++at;
        return at;
    }

    QStringView m_text;
    const Structure& m_structure;
    std::vector<Frame> m_frames;
    // The layout so far: the first m_size units of m_out, which grows ahead of them.
    QString m_out;
    QChar* m_buffer = nullptr;
    qsizetype m_size = 0;
    bool m_overflow = false;
};

void locate(QStringView text, qsizetype offset, Failure* failure) {
    failure->line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++failure->line;
            lineStart = i + 1;
        }
    }
    failure->column = offset - lineStart + 1;
}

} // namespace

bool isValid(QStringView text) {
    return Reader(text, nullptr).read();
}

std::optional<QString> format(QStringView text, Failure* failure) {
    Failure ignored;
    Failure& report = failure ? *failure : ignored;
    report = {};
    const QStringView trimmed = TextLines::trimAll(text);
    const qsizetype leading = trimmed.isEmpty() ? text.size() : trimmed.data() - text.data();
    Structure structure;
    Reader reader(trimmed, &structure);
    if (!reader.read()) {
        report.problem = reader.problem();
        locate(text, leading + reader.offset(), &report);
        return std::nullopt;
    }
    // The trimmed text starts with its opening bracket.
    std::optional<QString> laidOut = Writer(trimmed, structure).write();
    if (!laidOut)
        report.problem = Problem::tooLarge;
    return laidOut;
}

} // namespace JsonFormatter
