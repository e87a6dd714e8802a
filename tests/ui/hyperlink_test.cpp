#include "ui/hyperlink.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

// Answers Open and Run from scripts and records what it was asked.
class ScriptedShell : public Shell {
  public:
    ShellResult Open(const std::string& target) override {
        opened.push_back(target);
        return Next(openResults);
    }
    ShellResult OpenWith(const std::string& path) override {
        openedWith.push_back(path);
        return {};
    }
    ShellResult OpenFile(const std::string& path, const std::string&) override {
        return Open(path);
    }
    ShellResult OpenFileWith(const std::string& path, const std::string&) override {
        return OpenWith(path);
    }
    std::optional<std::string> HtmlHandlerCommand() override {
        ++htmlQueries;
        return htmlCommand;
    }
    ShellResult Run(const std::string& commandLine) override {
        ran.push_back(commandLine);
        return Next(runResults);
    }
    std::string TempFolder() override { return "/tmp/"; }

    std::deque<ShellResult> openResults;
    std::deque<ShellResult> runResults;
    std::optional<std::string> htmlCommand;
    std::vector<std::string> opened;
    std::vector<std::string> openedWith;
    std::vector<std::string> ran;
    int htmlQueries = 0;

  private:
    static ShellResult Next(std::deque<ShellResult>& results) {
        if (results.empty()) return {};
        ShellResult result = results.front();
        results.pop_front();
        return result;
    }
};

TEST(HyperLinkTooltip, HttpPrefixIsDroppedWithoutRegardToCase) {
    EXPECT_EQ(HyperLinkTooltip("http://www.velmora.example.org"), "Go to www.velmora.example.org");
    EXPECT_EQ(HyperLinkTooltip("HTTP://Velmora.example.org/a"), "Go to Velmora.example.org/a");
    EXPECT_EQ(HyperLinkTooltip("http://"), "Go to ");
}

TEST(HyperLinkTooltip, MailtoAndOtherTargets) {
    EXPECT_EQ(HyperLinkTooltip("mailto:developers@velmora.example.org"),
              "E-mail developers@velmora.example.org");
    EXPECT_EQ(HyperLinkTooltip("https://velmora.example.org"), "https://velmora.example.org");
    EXPECT_EQ(HyperLinkTooltip("ftp://x"), "ftp://x");
    // Shorter than either prefix: compared safely, shown as it is.
    EXPECT_EQ(HyperLinkTooltip("http:"), "http:");
    EXPECT_EQ(HyperLinkTooltip(""), "");
}

TEST(HtmlCommandFor, CutsAtQuotedPlaceholderWithItsOpeningQuote) {
    EXPECT_EQ(HtmlCommandFor("\"/opt/web/browser\" -nohome \"%1\" --new", "http://x"),
              "\"/opt/web/browser\" -nohome  http://x");
    // The quoted one wins even when a bare %1 comes first.
    EXPECT_EQ(HtmlCommandFor("browser %1x \"%1\"", "T"), "browser %1x  T");
}

TEST(HtmlCommandFor, CutsAtBarePlaceholderOrKeepsTheWholeLine) {
    EXPECT_EQ(HtmlCommandFor("firefox %1", "http://x"), "firefox  http://x");
    EXPECT_EQ(HtmlCommandFor("firefox --new %1 --tail", "T"), "firefox --new  T");
    EXPECT_EQ(HtmlCommandFor("firefox", "http://x"), "firefox http://x");
    // A lone quote before %1 is not a quoted placeholder.
    EXPECT_EQ(HtmlCommandFor("viewer \"%1", "T"), "viewer \" T");
    EXPECT_EQ(HtmlCommandFor("", "T"), " T");
}

const ShellResult kNoHandler = ShellResult::Failed("No application for this address");
const ShellResult kNotStarted = ShellResult::Failed("Failed to execute child process “gone”");

TEST(OpenHyperLinkTarget, SuccessfulOpenIsReturnedWithoutFallback) {
    ScriptedShell shell;
    shell.htmlCommand = "browser %1";
    EXPECT_TRUE(OpenHyperLinkTarget(shell, "http://a").ok);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"http://a"});
    EXPECT_EQ(shell.htmlQueries, 0);
    EXPECT_TRUE(shell.ran.empty());
}

TEST(OpenHyperLinkTarget, WithoutHtmlHandlerTheDesktopsReasonIsShown) {
    ScriptedShell shell;
    shell.openResults = {kNoHandler};
    const ShellResult result = OpenHyperLinkTarget(shell, "mailto:a@velmora.example.org");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(shell.ran.empty());
    EXPECT_EQ(HyperLinkFailureBox(result.error).text,
              "Unable to open hyperlink:\n\nNo application for this address");
    EXPECT_EQ(HyperLinkFailureBox(result.error).icon, PromptIcon::Warning);
}

TEST(OpenHyperLinkTarget, BlankHtmlHandlerIsTreatedAsNone) {
    // Running " target" would start the target itself as a program.
    ScriptedShell shell;
    shell.openResults = {kNoHandler};
    shell.htmlCommand = "  ";
    EXPECT_EQ(OpenHyperLinkTarget(shell, "http://a").error, kNoHandler.error);
    EXPECT_TRUE(shell.ran.empty());
}

TEST(OpenHyperLinkTarget, FallsBackToTheHtmlHandlersCommandLine) {
    ScriptedShell shell;
    shell.openResults = {kNoHandler};
    shell.htmlCommand = "\"/usr/bin/web\" \"%1\"";
    EXPECT_TRUE(OpenHyperLinkTarget(shell, "http://a").ok);
    EXPECT_EQ(shell.ran, std::vector<std::string>{"\"/usr/bin/web\"  http://a"});
}

TEST(OpenHyperLinkTarget, FailedFallbackReportsTheStartsReason) {
    ScriptedShell shell;
    shell.openResults = {kNoHandler};
    shell.runResults = {kNotStarted};
    shell.htmlCommand = "gone %1";
    const ShellResult result = OpenHyperLinkTarget(shell, "http://a");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, kNotStarted.error);
    EXPECT_EQ(shell.ran.size(), 1u);
}

TEST(HyperLinkAttach, EmptyTargetTakesTheTextAndWwwGetsHttp) {
    HyperLink plain;
    plain.Attach("velmora.example.org");
    EXPECT_EQ(plain.Target(), "velmora.example.org");
    EXPECT_EQ(plain.Text(), "velmora.example.org");

    HyperLink www;
    www.Attach("WWW.Velmora.example.org");
    EXPECT_EQ(www.Target(), "http://WWW.Velmora.example.org");
    EXPECT_EQ(www.Text(), "WWW.Velmora.example.org");
    EXPECT_EQ(www.Tooltip(), "Go to WWW.Velmora.example.org");
}

TEST(HyperLinkAttach, GivenTargetIsKeptAndEmptyTextShowsIt) {
    HyperLink link;
    link.SetTarget("mailto:developers@velmora.example.org");
    link.Attach("");
    EXPECT_EQ(link.Target(), "mailto:developers@velmora.example.org");
    EXPECT_EQ(link.Text(), "mailto:developers@velmora.example.org");

    HyperLink named;
    named.SetTarget("www.velmora.example.org");  // only a target taken from the text is completed
    named.Attach("Site");
    EXPECT_EQ(named.Target(), "www.velmora.example.org");
    EXPECT_EQ(named.Text(), "Site");
}

TEST(HyperLinkAttach, TooltipFollowsLaterTargetsAndThePrefixFlag) {
    HyperLink link;
    link.Attach("Velmora developers");
    EXPECT_EQ(link.Tooltip(), "Velmora developers");
    link.SetTarget("mailto:developers@velmora.example.org");
    EXPECT_EQ(link.Tooltip(), "E-mail developers@velmora.example.org");
    link.SetTooltipPrefix(false);
    EXPECT_EQ(link.Tooltip(), "mailto:developers@velmora.example.org");
}

TEST(HyperLinkState, AttachResetsTheModeToHoverWithTheNormalFont) {
    HyperLink link;
    EXPECT_FALSE(link.SetUnderlineMode(HyperLink::kUnderlineAlways));  // nothing to redraw yet
    link.Attach("x");
    EXPECT_EQ(link.UnderlineMode(), HyperLink::kUnderlineHover);
    EXPECT_FALSE(link.Underlined());
    EXPECT_FALSE(link.Hovering());
}

TEST(HyperLinkState, HoverModeUnderlinesOnlyWhileThePointerIsOver) {
    HyperLink link;
    link.Attach("x");
    EXPECT_TRUE(link.MouseMoved());  // first move: redraw and start the timer
    EXPECT_TRUE(link.Hovering());
    EXPECT_TRUE(link.Underlined());
    EXPECT_FALSE(link.MouseMoved());  // later moves change nothing
    EXPECT_FALSE(link.HoverTick(true));
    EXPECT_TRUE(link.Underlined());
    EXPECT_TRUE(link.HoverTick(false));  // left: stop the timer and redraw
    EXPECT_FALSE(link.Hovering());
    EXPECT_FALSE(link.Underlined());
    EXPECT_TRUE(link.MouseMoved());  // a new visit starts over
}

TEST(HyperLinkState, AlwaysAndNeverModesIgnoreTheHover) {
    HyperLink always;
    always.Attach("x");
    EXPECT_TRUE(always.SetUnderlineMode(HyperLink::kUnderlineAlways));
    EXPECT_TRUE(always.Underlined());
    EXPECT_FALSE(always.SetUnderlineMode(HyperLink::kUnderlineAlways));  // unchanged: no redraw
    always.MouseMoved();
    EXPECT_TRUE(always.HoverTick(false));
    EXPECT_TRUE(always.Underlined());

    HyperLink never;
    never.Attach("x");
    EXPECT_TRUE(never.SetUnderlineMode(HyperLink::kUnderlineNever));
    EXPECT_TRUE(never.MouseMoved());
    EXPECT_TRUE(never.Hovering());
    EXPECT_FALSE(never.Underlined());
    EXPECT_TRUE(never.SetUnderlineMode(HyperLink::kUnderlineAlways));
    EXPECT_TRUE(never.Underlined());
    EXPECT_TRUE(never.SetUnderlineMode(HyperLink::kUnderlineHover));
    EXPECT_FALSE(never.Underlined());
}

TEST(HyperLinkState, ClickEndsTheHoverSoTheNextMoveStartsAgain) {
    HyperLink link;
    link.Attach("x");
    link.MouseMoved();
    link.Clicked();
    EXPECT_FALSE(link.Hovering());
    EXPECT_TRUE(link.MouseMoved());
}

TEST(AutoSizeRect, KeepsTheEdgeOrCentreTheAlignmentNames) {
    const LinkRect old{100, 50, 80, 20};
    EXPECT_EQ(AutoSizeRect(old, 40, 10, LinkAlign::Left, false), (LinkRect{100, 50, 40, 10}));
    EXPECT_EQ(AutoSizeRect(old, 40, 10, LinkAlign::Right, false), (LinkRect{140, 50, 40, 10}));
    EXPECT_EQ(AutoSizeRect(old, 40, 10, LinkAlign::Centre, false), (LinkRect{120, 50, 40, 10}));
    EXPECT_EQ(AutoSizeRect(old, 40, 10, LinkAlign::Left, true), (LinkRect{100, 55, 40, 10}));
    // Growing works the same way.
    EXPECT_EQ(AutoSizeRect(old, 120, 30, LinkAlign::Right, true), (LinkRect{60, 45, 120, 30}));
}

}  // namespace
}  // namespace velmora
