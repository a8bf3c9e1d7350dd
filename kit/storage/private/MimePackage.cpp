#include <kit/storage/private/MimePackage.h>

#include <kit/storage/private/XdgPlaces.h>

#include <QByteArray>
#include <QXmlStreamReader>

namespace kit_private {

namespace {

constexpr const char* kMimeNamespace = "http://www.freedesktop.org/standards/shared-mime-info";
constexpr const char* kKitNamespace = "urn:x-vnd-kit:mime-info";

std::string xml_escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

std::string MimePackage::Text(const std::string& type) const {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<mime-info xmlns=\"" + std::string(kMimeNamespace) + "\" xmlns:kit=\"" +
            kKitNamespace + "\">\n";
    text += "  <mime-type type=\"" + xml_escape(type) + "\">\n";
    if (!shortDescription.empty())
        text += "    <comment>" + xml_escape(shortDescription) + "</comment>\n";
    if (!longDescription.empty())
        text += "    <kit:long-description>" + xml_escape(longDescription) +
                "</kit:long-description>\n";
    if (!preferredApp.empty())
        text += "    <kit:preferred-app signature=\"" + xml_escape(preferredApp) +
                "\" desktop-entry=\"" + xml_escape(desktopEntry) + "\"/>\n";
    if (largeIcon || miniIcon) {
        text += "    <icon name=\"" + xml_escape(mime_file_stem(type)) + "\"/>\n";
        text += "    <kit:icons large=\"" + std::string(largeIcon ? "true" : "false") +
                "\" mini=\"" + (miniIcon ? "true" : "false") + "\"/>\n";
    }
    for (const std::string& extension : extensions)
        text += "    <glob pattern=\"*." + xml_escape(extension) + "\"/>\n";
    text += "  </mime-type>\n</mime-info>\n";
    return text;
}

status_t MimePackage::Parse(const std::string& text, MimePackage* package) {
    QXmlStreamReader reader(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        auto name = reader.name();
        auto space = reader.namespaceUri();
        auto attributes = reader.attributes();
        if (space == QLatin1String(kMimeNamespace)) {
            if (name == QLatin1String("comment") && !attributes.hasAttribute("xml:lang"))
                package->shortDescription = reader.readElementText().toStdString();
            else if (name == QLatin1String("glob")) {
                std::string pattern = attributes.value("pattern").toString().toStdString();
                if (pattern.starts_with("*.") && pattern.size() > 2)
                    package->extensions.push_back(pattern.substr(2));
            }
        } else if (space == QLatin1String(kKitNamespace)) {
            if (name == QLatin1String("long-description")) {
                package->longDescription = reader.readElementText().toStdString();
            } else if (name == QLatin1String("preferred-app")) {
                package->preferredApp = attributes.value("signature").toString().toStdString();
                package->desktopEntry = attributes.value("desktop-entry").toString().toStdString();
            } else if (name == QLatin1String("icons")) {
                package->largeIcon = attributes.value("large") == QLatin1String("true");
                package->miniIcon = attributes.value("mini") == QLatin1String("true");
            }
        }
    }
    return reader.hasError() ? B_BAD_VALUE : B_OK;
}

} // namespace kit_private
