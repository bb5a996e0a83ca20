// The web browser's pages through Qt WebEngine: the one file that includes the engine. The
// view fills the browser's window; its reports go back to the control as its events.
#include <unistd.h>

#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <filesystem>

#include "components/ActiveXPlaceholders.h"
#include "platform/Paths.h"
#include "vcl/qt/QtHandle.h"

#if VANTREL_WEBENGINE
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace components::qt {

#if VANTREL_WEBENGINE
namespace {

// Commands of the command-state event.
constexpr int kNavigateForward = 1;
constexpr int kNavigateBack = 2;

// An address as the engine takes it: URLs as they are, anything else as a file path.
QUrl urlOf(const std::string& text) {
    const QString s = QString::fromStdString(text);
    const QUrl url(s);
    // A drive letter ("C:") parses as a scheme of one character; that is a path.
    if (url.isValid() && url.scheme().size() > 1) return url;
    const std::filesystem::path path = platform::resolvePath(text);
    return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

class Page final : public QWebEnginePage {
public:
    Page(TWebBrowser& browser, QObject* parent) : QWebEnginePage(parent), m_browser(browser) {}

protected:
    QWebEnginePage* createWindow(WebWindowType) override {
        bool open = false;
        vcl::qt::runGuarded([&] { open = m_browser.newWindow(); });
        // A new window opens in this one: the control has no windows of its own.
        return open ? this : nullptr;
    }

private:
    TWebBrowser& m_browser;
};

class Engine final : public BrowserEngine {
public:
    Engine(TWebBrowser& browser, QWidget* container) : m_browser(browser) {
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new QWebEngineView(container);
        m_page = new Page(browser, m_view);
        m_view->setPage(m_page);
        layout->addWidget(m_view);
        m_view->show();
        QObject::connect(
            m_page, &QWebEnginePage::navigationRequested, m_view,
            [this](QWebEngineNavigationRequest& request) {
                bool go = true;
                guarded([&] { go = m_browser.beforeNavigate(request.url().toString().toStdString()); });
                if (go)
                    request.accept();
                else
                    request.reject();
            });
        QObject::connect(m_page, &QWebEnginePage::loadStarted, m_view, [this] {
            m_busy = true;
            guarded([&] { m_browser.downloadBegin(); });
        });
        QObject::connect(m_page, &QWebEnginePage::loadProgress, m_view,
                         [this](int percent) { guarded([&] { m_browser.progressChanged(percent, 100); }); });
        QObject::connect(m_page, &QWebEnginePage::titleChanged, m_view, [this](const QString& title) {
            guarded([&] { m_browser.titleChanged(title.toStdString()); });
        });
        QObject::connect(m_page, &QWebEnginePage::linkHovered, m_view, [this](const QString& link) {
            guarded([&] { m_browser.statusTextChanged(link.toStdString()); });
        });
        QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view, [this](bool ok) {
            m_busy = false;
            const std::string url = m_page->url().toString().toStdString();
            guarded([&] {
                m_browser.downloadComplete();
                m_browser.navigateComplete(url);
                if (ok) m_browser.documentComplete(url);
                m_browser.commandStateChanged(kNavigateBack, m_page->history()->canGoBack());
                m_browser.commandStateChanged(kNavigateForward, m_page->history()->canGoForward());
            });
        });
        QObject::connect(m_page, &QWebEnginePage::fullScreenRequested, m_view,
                         [](QWebEngineFullScreenRequest request) { request.reject(); });
        QObject::connect(m_page, &QWebEnginePage::renderProcessTerminated, m_view,
                         [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                             if (status == QWebEnginePage::NormalTerminationStatus) return;
                             // Ends this engine: the handler must not run inside its signal.
                             TWebBrowser* browser = &m_browser;
                             QPointer<QWebEngineView> view = m_view;
                             QMetaObject::invokeMethod(
                                 m_view,
                                 [browser, view] {
                                     if (view) guarded([&] { browser->engineFailedToRun(); });
                                 },
                                 Qt::QueuedConnection);
                         });
    }
    ~Engine() override { delete m_view.data(); }

    void navigate(const std::string& url) override {
        if (m_view) m_page->load(urlOf(url));
    }
    void goBack() override {
        if (m_view) m_page->triggerAction(QWebEnginePage::Back);
    }
    void goForward() override {
        if (m_view) m_page->triggerAction(QWebEnginePage::Forward);
    }
    void reload() override {
        if (m_view) m_page->triggerAction(QWebEnginePage::Reload);
    }
    void stop() override {
        if (m_view) m_page->triggerAction(QWebEnginePage::Stop);
    }
    std::string url() const override {
        return m_view ? m_page->url().toString().toStdString() : std::string();
    }
    std::string title() const override {
        if (!m_view) return {};
        // The engine names an untitled page by its address; the control leaves that to the caller.
        const QString title = m_page->title();
        return title == m_page->url().toString() || title == m_page->url().toDisplayString()
                   ? std::string()
                   : title.toStdString();
    }
    bool busy() const override { return m_view && m_busy; }

private:
    template <class F>
    static void guarded(F&& f) {
        vcl::qt::EventScope scope;
        vcl::qt::runGuarded(std::forward<F>(f));
    }

    TWebBrowser& m_browser;
    QPointer<QWebEngineView> m_view;
    Page* m_page = nullptr;
    bool m_busy = false;
};

// The engine's sandbox cannot run for root; for anyone else it stays on. Headless runs draw
// in software.
void prepareEnvironment() {
    static const bool done = [] {
        if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen") &&
            !qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
        return true;
    }();
    (void)done;
}

}  // namespace

bool webEngineBuiltIn() { return true; }

std::unique_ptr<BrowserEngine> attachWebEngine(TWebBrowser& browser) {
    auto* handle = dynamic_cast<vcl::qt::QtHandle*>(&browser.handle());
    if (!handle) return nullptr;
    prepareEnvironment();
    return std::make_unique<Engine>(browser, handle->container());
}

#else

bool webEngineBuiltIn() { return false; }

std::unique_ptr<BrowserEngine> attachWebEngine(TWebBrowser&) { return nullptr; }

#endif

}  // namespace components::qt
