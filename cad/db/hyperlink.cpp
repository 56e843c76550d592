// Hyperlinks of entities, kept in their extended data under the application "PE_URL":
// the address as the first string, then a list holding the description and the
// sub-location. Further address-and-list sequences are further hyperlinks.
#include "host/hyperlink.h"

#include "host/database.h"
#include "host/dbentities.h"
#include "host/dbsymbols.h"
#include "host/editor.h"

QX_RX_DEFINE_CLASS(QxDbEntityHyperlinkPE, QxRxObject, "")

namespace {

constexpr const char16_t* kApp = u"PE_URL";

std::u16string textOf(const qxresbuf* rb) { return rb->resval.rstring ? rb->resval.rstring : u""; }

std::vector<QxDbHyperlink> readLinks(const QxDbObject* object)
{
    std::vector<QxDbHyperlink> links;
    qxresbuf* chain = object ? object->xData(kApp) : nullptr;
    const qxresbuf* rb = chain ? chain->rbnext : nullptr;  // past the 1001 group
    while (rb) {
        if (rb->restype != 1000) {
            rb = rb->rbnext;
            continue;
        }
        std::u16string url = textOf(rb), description, subLocation;
        rb = rb->rbnext;
        if (rb && rb->restype == 1002 && textOf(rb) == u"{") {
            // The first two strings of the list at its own level; nested lists are skipped.
            int depth = 1, strings = 0;
            for (rb = rb->rbnext; rb && depth > 0; rb = rb->rbnext) {
                if (rb->restype == 1002) depth += textOf(rb) == u"{" ? 1 : -1;
                else if (rb->restype == 1000 && depth == 1) {
                    if (strings == 0) description = textOf(rb);
                    else if (strings == 1) subLocation = textOf(rb);
                    ++strings;
                }
            }
        }
        links.emplace_back(url, description, subLocation);
    }
    qxutRelRb(chain);
    return links;
}

qxresbuf* stringGroup(int code, const std::u16string& text)
{
    qxresbuf* rb = qxutNewRb(code);
    rb->resval.rstring = qxutNewString(text.c_str());
    return rb;
}

// Registers the application in the object's drawing (or the working one) so that its
// extended data is accepted.
void registerApp(const QxDbObject* object)
{
    QxDbDatabase* db = object->database();
    if (!db || db == qxdbHostApplicationServices()->workingDatabase()) {
        qxdbRegApp(kApp);
        return;
    }
    QxDbRegAppTable* table = nullptr;
    if (db->getSymbolTable(table, QxDb::kForWrite) != Qxapp::eOk) return;
    if (!table->has(kApp)) {
        auto* record = new QxDbRegAppTableRecord;
        record->setName(kApp);
        if (table->add(record) == Qxapp::eOk) record->close();
        else delete record;
    }
    table->close();
}

class HyperlinkPE : public QxDbEntityHyperlinkPE {
public:
    Qxapp::ErrorStatus getHyperlinkCollection(const QxDbObject* object, QxDbHyperlinkCollection*& links, bool oneOnly,
                                              bool /*ignoreBlockDefs*/) override
    {
        links = nullptr;
        if (!object) return Qxapp::eInvalidInput;
        links = new QxDbHyperlinkCollection;
        for (const QxDbHyperlink& link : readLinks(object)) {
            links->addTail(link.name().c_str(), link.description().c_str(), link.subLocation().c_str());
            if (oneOnly) break;
        }
        return Qxapp::eOk;
    }

    Qxapp::ErrorStatus setHyperlinkCollection(QxDbObject* object, const QxDbHyperlinkCollection* links) override
    {
        if (!object) return Qxapp::eInvalidInput;
        if (!object->isWriteEnabled()) return Qxapp::eNotOpenForWrite;
        registerApp(object);
        qxresbuf* chain = stringGroup(1001, kApp);
        qxresbuf* tail = chain;
        auto append = [&](qxresbuf* rb) { tail = tail->rbnext = rb; };
        const int n = links ? links->count() : 0;
        for (int i = 0; i < n; ++i) {
            QxDbHyperlink* link = const_cast<QxDbHyperlinkCollection*>(links)->item(i);
            append(stringGroup(1000, link->name()));
            append(stringGroup(1002, u"{"));
            append(stringGroup(1000, link->description()));
            append(stringGroup(1000, link->subLocation()));
            append(stringGroup(1002, u"}"));
        }
        const Qxapp::ErrorStatus es = object->setXData(chain);  // only the 1001 group: no links
        qxutRelRb(chain);
        return es;
    }

    Qxapp::ErrorStatus getHyperlinkCount(const QxDbObject* object, unsigned int& count, bool) override
    {
        count = 0;
        if (!object) return Qxapp::eInvalidInput;
        count = static_cast<unsigned int>(readLinks(object).size());
        return Qxapp::eOk;
    }

    Qxapp::ErrorStatus hasHyperlinks(const QxDbObject* object, bool& hasIt, bool ignoreBlockDefs) override
    {
        unsigned int count = 0;
        const Qxapp::ErrorStatus es = getHyperlinkCount(object, count, ignoreBlockDefs);
        hasIt = count > 0;
        return es;
    }
};

// Registered when the host library loads, before any module asks for it.
const bool registered = [] {
    static HyperlinkPE instance;
    QxDbEntity::desc()->addX(QxDbEntityHyperlinkPE::desc(), &instance);
    return true;
}();

}  // namespace
