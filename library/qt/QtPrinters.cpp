// The print backend of the system: CUPS lists the printers, names the default, keeps each
// printer's default paper source and takes raw jobs (Qt has no raw job); Qt Print Support
// gives a printer's resolution and unprintable margins from its driver description.
#include <cups/cups.h>

#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>
#include <cstdio>

#include "library/Printers.h"

namespace library {
namespace {

// One snapshot of the print server's destinations, freed with the object.
class Dests {
public:
    Dests() { m_count = cupsGetDests2(CUPS_HTTP_DEFAULT, &m_dests); }
    ~Dests() { cupsFreeDests(m_count, m_dests); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;

    int count() const { return m_count; }
    const cups_dest_t& at(int i) const { return m_dests[i]; }
    const char* option(const cups_dest_t& d, const char* name) const {
        return cupsGetOption(name, d.num_options, d.options);
    }
    static std::string nameOf(const cups_dest_t& d) {
        std::string name = d.name ? d.name : "";
        if (d.instance) name += std::string("/") + d.instance;
        return name;
    }
    const cups_dest_t* find(const std::string& name) const {
        for (int i = 0; i < m_count; ++i)
            if (nameOf(m_dests[i]) == name) return &m_dests[i];
        return nullptr;
    }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
};

class CupsPrintBackend final : public PrintBackend {
public:
    std::vector<PrinterEntry> printers() override {
        const Dests dests;
        std::vector<PrinterEntry> out;
        for (int i = 0; i < dests.count(); ++i) {
            const cups_dest_t& d = dests.at(i);
            const char* uri = dests.option(d, "device-uri");
            if (!uri) uri = dests.option(d, "printer-uri-supported");
            out.push_back({Dests::nameOf(d), uri ? uri : ""});
        }
        return out;
    }

    std::string defaultPrinter() override {
        const Dests dests;
        for (int i = 0; i < dests.count(); ++i)
            if (dests.at(i).is_default) return Dests::nameOf(dests.at(i));
        return {};
    }

    std::optional<PrinterMetrics> metrics(const std::string& printer) override {
        const Dests dests;
        const cups_dest_t* d = dests.find(printer);
        if (!d) return std::nullopt;
        PrinterMetrics m;
        const char* source = dests.option(*d, "media-source");
        if (!source) source = dests.option(*d, "InputSlot");
        m.paperBin = source ? windowsPaperBin(source) : 7;  // no named source: automatic selection

        // QPrinter stands on the GUI application's print support.
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(printer));
        if (info.isNull()) return std::nullopt;
        QPrinter qp(info, QPrinter::HighResolution);
        m.dpiX = m.dpiY = qp.resolution();
        // A driver with separate resolutions ("600x1200dpi") says so in its options.
        if (const char* res = dests.option(*d, "Resolution")) {
            int x = 0, y = 0;
            if (std::sscanf(res, "%dx%d", &x, &y) == 2 && x > 0 && y > 0) {
                m.dpiX = x;
                m.dpiY = y;
            }
        }
        QPageLayout layout = qp.pageLayout();
        layout.setUnits(QPageLayout::Point);
        const QMarginsF margins = layout.minimumMargins();
        m.offsetX = static_cast<int>(std::lround(margins.left() / 72.0 * m.dpiX));
        m.offsetY = static_cast<int>(std::lround(margins.top() / 72.0 * m.dpiY));
        return m;
    }

    bool sendRaw(const std::string& printer, const std::string& jobName, std::string_view data) override {
        const std::string queue = printer.substr(0, printer.find('/'));
        const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), jobName.c_str(), 0, nullptr);
        if (job <= 0) return false;
        if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, jobName.c_str(), CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE) {
            cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
            return false;
        }
        bool ok = true;
        while (ok && !data.empty()) {
            const size_t n = std::min<size_t>(data.size(), 65536);
            ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.data(), n) == HTTP_STATUS_CONTINUE;
            data.remove_prefix(n);
        }
        const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str()) == IPP_STATUS_OK;
        if (!ok || !finished) {
            cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<PrintBackend> makeCupsPrintBackend() { return std::make_unique<CupsPrintBackend>(); }

}  // namespace library
