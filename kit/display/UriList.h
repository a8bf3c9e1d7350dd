#pragma once

// Kit-private: the files that a drop of text/uri-list bytes names. It is kept
// apart from the list widget that receives drops so that it can be fed any
// bytes without a display.
// Thread: any; it reads nothing but its argument and the host's name.

#include <QByteArray>

#include <string>
#include <vector>

namespace display {

// The local files of a text/uri-list, in their order: comment lines and
// URIs of other schemes or other hosts are left out. The bytes of each path
// are kept as they are, so names that are not UTF-8 survive.
std::vector<std::string> LocalPaths(const QByteArray& uriList);

} // namespace display
