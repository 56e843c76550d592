#include "output/qex_settings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <tinyxml.h>

#include "engine/number_text.h"
#include "output/replacing_file.h"
#include "output/text_codec.h"

namespace {

// Every file stored so far has Windows-1252 texts under a UTF-8 declaration (the library was
// fed code-page bytes). Such bytes read as UTF-8 can swallow a closing quote, so a file is read
// as UTF-8 only when its bytes really are UTF-8 with characters beyond ASCII.
struct TextDecoder {
    bool bUtf8;
    std::u16string operator()(const char* bytes) const
    {
        if (!bytes) return {};
        std::u16string text;
        if (bUtf8 && DecodeUtf8(bytes, text)) return text;
        return FromWindows1252(bytes);
    }
};

std::string printDocument(const TiXmlDocument& doc)
{
    // The library's own file printer gives the stored layout; only its line ends differ from
    // the stored CR LF, which a text-mode file made of every "\n".
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&data, &size);
    if (!memory) return {};
    doc.SaveFile(memory);
    std::fclose(memory);
    std::string printed;
    printed.reserve(size + size / 16);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') printed.push_back('\r');
        printed.push_back(data[i]);
    }
    std::free(data);
    return printed;
}

TiXmlElement* linkElement(TiXmlNode& parent, const char* name)
{
    return parent.LinkEndChild(new TiXmlElement(name))->ToElement();
}

// The XML library parses nested elements by recursion, and slows down with the depth: a file
// nested tens of thousands of levels deep overflows the stack. Settings files nest three
// levels, so a generous bound refuses such files before the library sees them.
constexpr int kMaxQexDepth = 64;
// The library looks for a duplicate among an element's attributes at each new one, which takes
// minutes for the tens of thousands a small file can hold. Stored elements have three.
constexpr int kMaxQexAttributes = 64;
// Settings files are a few kilobytes (3,000 properties take 230 KB); this keeps a wrong file
// chosen by mistake from taking the parser seconds and the memory it needs.
constexpr std::size_t kMaxQexBytes = 4u << 20;

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x7F || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_';
}

// Where the markup opened at `start` ends (its `>`), or npos when that cannot be told surely.
// Every quote must open an attribute value right after `=`: then the library sees the same
// values as this scan. An element's value may hold anything but its quote; in other markup,
// which the library may end at its first `>` without minding quotes, a value holding `<` or
// `>` is refused. Unterminated markup, which the library refuses anyway, and markup with more
// than kMaxQexAttributes values give npos too.
std::size_t markupEnd(std::string_view text, std::size_t start)
{
    constexpr auto npos = std::string_view::npos;
    const bool bElement = start + 1 < text.size() && isNameStart(text[start + 1]);
    bool bAfterEquals = false;
    int nValues = 0;
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>') return bAfterEquals ? npos : i;
        if (c == '<') return npos;
        if (c == '"' || c == '\'') {
            if (!bAfterEquals) return npos;
            const std::size_t close = text.find(c, i + 1);
            if (close == npos) return npos;
            if (!bElement && text.substr(i, close - i).find_first_of("<>") != npos) return npos;
            i = close;
            bAfterEquals = false;
        } else if (c == '=') {
            if (bAfterEquals || ++nValues > kMaxQexAttributes) return npos;
            bAfterEquals = true;
        } else if (bAfterEquals && !isXmlSpace(c)) {
            return npos;  // an unquoted value
        }
    }
    return npos;
}

// True when no element of `text` nests deeper than `nMaxDepth`, none has too many attributes,
// and its markup is plain enough to be sure of it. One pass over the text, as far as the
// library reads it (its first NUL).
bool NestingWithin(std::string_view text, int nMaxDepth)
{
    text = text.substr(0, text.find('\0'));
    int depth = 0;
    for (std::size_t start = text.find('<'); start != std::string_view::npos; start = text.find('<', start)) {
        const std::string_view rest = text.substr(start);
        // Comments and character data may hold anything up to their own end.
        const std::string_view skipTo = rest.starts_with("<!--")        ? std::string_view("-->")
                                        : rest.starts_with("<![CDATA[") ? std::string_view("]]>")
                                                                        : std::string_view();
        if (!skipTo.empty()) {
            const std::size_t end = text.find(skipTo, start + 4);
            if (end == std::string_view::npos) return false;
            start = end + skipTo.size();
            continue;
        }
        const std::size_t end = markupEnd(text, start);
        if (end == std::string_view::npos) return false;
        const std::string_view markup = text.substr(start, end - start);
        if (markup.starts_with("</")) {
            depth = std::max(depth - 1, 0);
        } else if (!markup.starts_with("<?") && !markup.starts_with("<!") && !markup.ends_with('/')) {
            // Anything else may open an element; counting too many only refuses odd files.
            if (++depth > nMaxDepth) return false;
        }
        start = end + 1;
    }
    return true;
}

std::int32_t toInt32(long long value)
{
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string BuildQexDocument(const std::map<std::u16string, std::u16string>& mapDisplayNames,
                             const std::u16string& csTitle, const std::list<std::u16string>& lsOptions,
                             std::int32_t nGroupBy)
{
    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", "yes"));
    TiXmlElement* root = linkElement(doc, "KvDataExtraction");

    TiXmlElement* state = linkElement(*root, "State");
    for (const auto& [csOriginal, csDisplay] : mapDisplayNames) {
        TiXmlElement* property = linkElement(*state, "Property");
        property->SetAttribute("name", ToWindows1252(csOriginal));
        property->SetAttribute("display", ToWindows1252(csDisplay));
        property->SetAttribute("checked", "1");
    }

    TiXmlElement* options = linkElement(*root, "ExOptions");
    for (const auto& csOption : lsOptions) {
        TiXmlElement* option = linkElement(*options, "Option");
        option->SetAttribute("name", ToWindows1252(csOption));
        option->SetAttribute("value", "checked");
    }
    if (nGroupBy != -1) {
        TiXmlElement* option = linkElement(*options, "Option");
        option->SetAttribute("name", "GroupBy");
        option->SetAttribute("value", nGroupBy);
    }

    linkElement(*root, "KvTable")->SetAttribute("title", ToWindows1252(csTitle));
    return printDocument(doc);
}

bool SaveQexSettings(std::u16string csPath, const std::map<std::u16string, std::u16string>& mapDisplayNames,
                     std::u16string csTitle, const std::list<std::u16string>& lsOptions, std::int32_t nGroupBy)
{
    const std::string bytes = BuildQexDocument(mapDisplayNames, csTitle, lsOptions, nGroupBy);
    if (bytes.empty()) return false;
    ReplacingFile file(NativePath(csPath));
    return file.open() && file.write(bytes) && file.commit();
}

bool ParseQexDocument(const std::string& bytes, std::list<std::u16string>& lsOriginalNames, std::u16string& csTitle,
                      std::map<std::u16string, std::u16string>& mapDisplayNames, std::list<std::u16string>& lsOptions,
                      std::int32_t& nGroupBy)
{
    nGroupBy = -1;
    if (bytes.size() > kMaxQexBytes || !NestingWithin(bytes, kMaxQexDepth)) return false;
    const TextDecoder decode{IsMultiByteUtf8(bytes)};

    // The library's file loader turns CR LF into LF before parsing; do the same.
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            text.push_back(bytes[i]);
        }
    }

    TiXmlDocument doc;
    doc.Parse(text.c_str(), nullptr, decode.bUtf8 ? TIXML_ENCODING_UTF8 : TIXML_ENCODING_LEGACY);
    if (doc.Error()) return false;

    TiXmlHandle docHdl(&doc);
    TiXmlElement* root = docHdl.FirstChild("KvDataExtraction").ToElement();
    if (!root) return false;
    TiXmlElement* state = root->FirstChildElement("State");
    if (!state) return false;
    TiXmlElement* property = state->FirstChildElement("Property");
    if (!property) return false;

    for (; property; property = property->NextSiblingElement()) {
        const std::u16string csOriginalNm = decode(property->Attribute("name"));
        const std::u16string csDisplayNm = decode(property->Attribute("display"));
        lsOriginalNames.push_back(csOriginalNm);
        mapDisplayNames.emplace(csOriginalNm, csDisplayNm);  // the first display name wins
    }

    csTitle.clear();
    TiXmlElement* options = state->NextSiblingElement();
    if (!options) return true;
    for (TiXmlElement* option = options->FirstChildElement("Option"); option; option = option->NextSiblingElement()) {
        const std::u16string csOption = decode(option->Attribute("name"));
        const std::u16string csValue = decode(option->Attribute("value"));
        if (csOption == u"GroupBy")
            nGroupBy = toInt32(ReadLeadingInteger(csValue, 0));
        else
            lsOptions.push_back(csOption);
    }
    if (TiXmlElement* table = options->NextSiblingElement()) csTitle = decode(table->Attribute("title"));
    return true;
}

bool LoadQexSettings(const std::u16string& csPath, std::list<std::u16string>& lsOriginalNames, std::u16string& csTitle,
                     std::map<std::u16string, std::u16string>& mapDisplayNames, std::list<std::u16string>& lsOptions,
                     std::int32_t& nGroupBy)
{
    nGroupBy = -1;
    std::ifstream file(NativePath(csPath), std::ios::binary);
    if (!file) return false;
    std::error_code error;
    const auto nSize = std::filesystem::file_size(NativePath(csPath), error);
    if (!error && nSize > kMaxQexBytes) return false;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return false;
    return ParseQexDocument(bytes, lsOriginalNames, csTitle, mapDisplayNames, lsOptions, nGroupBy);
}
