// properties-panel-host: the command-line host of the Properties panel module.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/PageInspector.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "headless-host/document/DocumentFile.h"
#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#ifndef PP_UI_RESOURCES_DIR
#define PP_UI_RESOURCES_DIR "ui-resources"
#endif

namespace {

constexpr const char* kUsageHead = R"(usage: properties-panel-host [options] [SCENARIO]

Loads the Properties panel module as the PDF editor's host would, runs the host's call sequence,
loads the panel page and opens a document. Then it runs the SCENARIO file, or the commands given
with --run; with neither, it opens the embedded sample document, selects its first object and
prints a report: the module's class and resources, the panel handler's state, the panel's DOM under
".panel-content" and the document's values.

options:
  --module PATH        the module to load (default: libdocument-panel-properties.so beside this program)
  --ui-resources DIR   the host's UI resources folder (default: the source tree's headless-host/ui-resources)
  --document FILE      open and activate this document file first ("sample": the embedded sample)
  --select NAME[,NAME...]|none
                       with --document: select these objects before the panel starts, so that the
                       panel is handed a documents collection with an active view and a selection
  --inactive           with --document: open it before the panel starts but do not activate its view,
                       so that the panel is handed a collection with views and none active
  --run "CMD; CMD"     run these commands (separated by ";") instead of a scenario file
  --stop-on-failure    stop at the first failed expectation (default: report all, exit 1 at the end)
  --locale LANG        the UI language at start (e.g. de); untranslated by default
  --now YYYY-MM-DDTHH:MM:SS
                       fix the local time the module reads, from before it loads (e.g.
                       2024-03-01T09:30:00; it stands still until a now command); the system's clock
                       by default
  --log PATH           write the module's log to PATH (default: standard error)
  --help               show this text

A scenario file holds one command a line; blank lines and lines starting with "#" are ignored.
Words are separated by blanks; quote a word that holds blanks ("a b" with \" \\ \n \t escapes, or
'a b' as written). Selectors are evaluated on the page's root element. A failed expectation prints
"FILE:LINE: expected ... but found ..."; a command that cannot be carried out prints its line and
stops the run. An input a user could not make (a click on a disabled element, a dismiss without a
popup) counts as a failed expectation. File names of --run are taken from the current folder,
those of a scenario from the scenario's folder. The exit status is 0 when everything passed, 1 otherwise, 2 for bad options.

After each command that can post work (documents, views, selections, locks, values, input, the
language) the UI loop runs until it is idle; between hold and release it runs only on pump and
release. expect log counts the entries the host's logger wrote since the start or the last clear
log, whether they went to --log or to standard error.

The dialogs editors open (JavaScriptDialog, SelectFieldsDialog, FieldNotationDialog,
EditValueListDialog) and the action wizard take the answers dialog and wizard queued, in order, per
dialog; one shown with no answer queued is cancelled and fails the scenario at the command during
which it was shown. A click on an action button of the page (button.action-button) dispatches its
UI action, named by its action attribute, to the host, which remembers it with its
action-param-KEY attributes for expect action and expect action-run.

commands:
)";

struct Options {
    headless::HostSessionOptions session;
    std::optional<std::string> scenario;
    std::optional<std::string> inlineCommands;
    std::optional<std::string> document;
    std::optional<std::string> selectFirst;
    bool inactive = false;
    bool stopOnFailure = false;
};

std::filesystem::path ProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

void PrintUsage(std::ostream& out) {
    out << kUsageHead;
    for (const auto& command : headless::ScenarioParser::Commands()) {
        std::string synopsis =
            std::string(command.name) + (*command.usage != '\0' ? " " : "") + command.usage;
        out << "  " << synopsis << "\n";
        // Descriptions are wrapped to the width of the text above.
        std::istringstream words(command.description);
        std::string line;
        for (std::string word; words >> word;) {
            if (!line.empty() && line.size() + 1 + word.size() > 94) {
                out << "      " << line << "\n";
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        out << "      " << line << "\n";
    }
}

std::optional<Options> ParseOptions(int argc, char** argv, int& exitCode) {
    Options options;
    options.session.module = ProgramFolder() / "libdocument-panel-properties.so";
    options.session.uiResources = PP_UI_RESOURCES_DIR;
    auto fail = [&exitCode](const std::string& message) {
        std::cerr << "properties-panel-host: " << message << " (see --help)\n";
        exitCode = 2;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            PrintUsage(std::cout);
            exitCode = 0;
            return std::nullopt;
        }
        if (argument == "--stop-on-failure") {
            options.stopOnFailure = true;
            continue;
        }
        if (argument == "--inactive") {
            options.inactive = true;
            continue;
        }
        bool takesValue = argument == "--module" || argument == "--ui-resources" ||
                          argument == "--document" || argument == "--run" || argument == "--locale" ||
                          argument == "--log" || argument == "--select" || argument == "--now";
        if (takesValue) {
            if (i + 1 >= argc)
                return fail("the option " + argument + " needs a value");
            std::string value = argv[++i];
            if (argument == "--now") {
                try {
                    options.session.fixedLocalTime = headless::ScenarioRunner::ParseLocalTime(value);
                } catch (const std::invalid_argument& e) {
                    return fail(std::string("--now: ") + e.what());
                }
                continue;
            }
            if (argument == "--module")
                options.session.module = value;
            else if (argument == "--ui-resources")
                options.session.uiResources = value;
            else if (argument == "--document")
                options.document = value;
            else if (argument == "--run")
                options.inlineCommands = value;
            else if (argument == "--locale")
                options.session.language = value;
            else if (argument == "--select")
                options.selectFirst = value;
            else
                options.session.logFile = value;
            continue;
        }
        if (argument.starts_with("-"))
            return fail("unknown option '" + argument + "'");
        if (options.scenario)
            return fail("one scenario at a time, not '" + *options.scenario + "' and '" + argument + "'");
        options.scenario = argument;
    }
    if (options.scenario && options.inlineCommands)
        return fail("a scenario file and --run cannot be used together");
    if (options.selectFirst && !options.document)
        return fail("--select needs --document");
    if (options.inactive && !options.document)
        return fail("--inactive needs --document");
    return options;
}

std::vector<headless::ScenarioCommand> LoadScenario(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read the scenario " + file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return headless::ScenarioParser::ParseText(text, file);
}

std::size_t OpenDocument(headless::DocumentWorkspace& workspace, const std::string& document) {
    std::size_t index = document == "sample" ? workspace.OpenSample() : workspace.OpenFile(document);
    workspace.Activate(index);
    return index;
}

void OpenFirstDocument(headless::HostSession& session, const std::string& document) {
    OpenDocument(session.Workspace(), document);
    session.Pump();
}

// Opens the document and selects objects before the panel exists; an inactive document's view is
// deactivated again before the panel is handed the collection.
void PrepareBeforePanel(Options& options) {
    std::vector<std::wstring> names;
    if (options.selectFirst && *options.selectFirst != "none") {
        std::string rest = *options.selectFirst;
        for (std::size_t comma; (comma = rest.find(',')) != std::string::npos; rest.erase(0, comma + 1))
            names.push_back(so::WideFromUtf8(rest.substr(0, comma)));
        names.push_back(so::WideFromUtf8(rest));
    }
    options.session.beforePanel = [document = *options.document, names,
                                   inactive = options.inactive](headless::DocumentWorkspace& workspace) {
        std::size_t index = OpenDocument(workspace, document);
        workspace.Select(index, names);
        if (inactive)
            workspace.Deactivate();
    };
}

void PrintReport(headless::HostSession& session, const Options& options) {
    std::cout << "Module: " << options.session.module.filename().string() << "\nClasses:\n";
    for (const auto& entry : session.Classes())
        std::cout << "  " << entry.name << "\n";
    std::uint32_t packages = 0;
    std::uint32_t resources = 0;
    so::Call<host::UIEngine::GetPackageCount>(session.UIEngine(), &packages);
    for (std::uint32_t p = 0; p < packages; ++p) {
        so::Ref package;
        so::Call<host::UIEngine::GetPackage>(session.UIEngine(), p, package.Put());
        std::uint32_t count = 0;
        so::Call<host::ResourcePackage::GetResourceCount>(package.Get(), &count);
        resources += count;
    }
    std::cout << "Resources: " << resources << " in " << packages << " package" << (packages == 1 ? "" : "s")
              << " (the panel page is " << headless::HostSession::kPanelPage << ")\n";
    std::cout << "Panel handler: "
              << (session.HasPanelHandler() ? "attached to the page's root element"
                                            : "not available (" + session.PanelFailure() + ")")
              << "\n";

    auto& workspace = session.Workspace();
    auto active = workspace.ActiveIndex();
    if (active) {
        const auto& model = workspace.Document(*active).state->Model();
        std::cout << "Document: " << so::Utf8FromWide(model.name) << "\n";
        if (!model.objects.empty()) {
            workspace.Select({model.objects.front()->name});
            session.Pump();
            std::cout << "Selected: " << so::Utf8FromWide(model.objects.front()->name) << "\n";
        }
    }
    std::cout << "\nPanel (.panel-content):\n";
    headless::ElementRef root = headless::ElementRef::Adopt(session.RootElement());
    headless::PageInspector page(root.Get());
    for (const auto& element : page.All(".panel-content"))
        std::cout << headless::PageInspector::OuterHtml(element.Get()) << "\n";
    if (active)
        std::cout << "\nValues:\n" << workspace.DumpValues(*active);
}

int Run(Options options) {
    std::vector<headless::ScenarioCommand> commands;
    std::filesystem::path baseFolder = std::filesystem::current_path();
    // The scenario is read before the host starts, so that a malformed one costs nothing.
    if (options.scenario) {
        commands = LoadScenario(*options.scenario);
        baseFolder = std::filesystem::absolute(*options.scenario).parent_path();
    } else if (options.inlineCommands) {
        commands = headless::ScenarioParser::ParseInline(*options.inlineCommands);
    }
    for (const auto& command : commands)
        headless::ScenarioRunner::Validate(command);
    const bool beforePanel = options.selectFirst || options.inactive;
    if (beforePanel)
        PrepareBeforePanel(options);
    headless::HostSession session(options.session, std::cerr);
    if (options.document && !beforePanel)
        OpenFirstDocument(session, *options.document);
    if (!options.scenario && !options.inlineCommands) {
        if (!options.document)
            OpenFirstDocument(session, "sample");
        PrintReport(session, options);
        return 0;
    }
    headless::ScenarioRunner runner(session, std::cout, std::cerr, options.stopOnFailure);
    bool passed = runner.Run(commands, baseFolder);
    std::cout.flush();
    if (!passed)
        std::cerr << "properties-panel-host: " << runner.Failures() << " failure"
                  << (runner.Failures() == 1 ? "" : "s") << "\n";
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    std::optional<Options> options = ParseOptions(argc, argv, exitCode);
    if (!options)
        return exitCode;
    try {
        return Run(*options);
    } catch (const headless::ScenarioError& e) {
        std::cerr << e.Message() << "\n";
    } catch (const so::ServiceObjectException& e) {
        std::cerr << "properties-panel-host: " << e.Message() << " (code 0x" << std::hex << e.Code() << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "properties-panel-host: " << e.what() << "\n";
    }
    return 1;
}
