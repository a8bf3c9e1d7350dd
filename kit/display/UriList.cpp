#include <kit/display/UriList.h>

#include <QList>

#include <unistd.h>

namespace display {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Takes the bytes of a percent-encoded URI path apart. A "%" is an escape
// only before two hex digits; any other "%" is a byte of the name, as file
// managers that do not escape it hand it over.
std::string PercentDecoded(const QByteArray& text) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]);
            int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes.push_back(char(high * 16 + low));
                i += 2;
                continue;
            }
        }
        bytes.push_back(c);
    }
    return bytes;
}

bool IsOwnHost(const QByteArray& host) {
    if (host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return false;
    return host.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

std::vector<std::string> LocalPaths(const QByteArray& uriList) {
    std::vector<std::string> paths;
    for (QByteArray line : uriList.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (!line.left(5).toLower().startsWith("file:"))
            continue;
        QByteArray rest = line.mid(5);
        if (rest.startsWith("//")) {
            qsizetype slash = rest.indexOf('/', 2);
            if (slash < 0 || !IsOwnHost(rest.mid(2, slash - 2)))
                continue;
            rest = rest.mid(slash);
        }
        if (!rest.startsWith('/'))
            continue;
        // A query or fragment is no part of a file's name.
        if (qsizetype end = rest.indexOf('?'); end >= 0)
            rest.truncate(end);
        if (qsizetype end = rest.indexOf('#'); end >= 0)
            rest.truncate(end);
        std::string path = PercentDecoded(rest);
        if (path.find('\0') != std::string::npos)
            continue;
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace display
