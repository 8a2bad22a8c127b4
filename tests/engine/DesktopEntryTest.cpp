// Desktop entry texts: the Exec quoting and the value escapes that a desktop
// reads back, names and addresses, and the MIME package and session
// environment written beside the entries.
#include <DesktopEntry.h>
#include <MimePackage.h>
#include <SessionEnvironment.h>

#include <gtest/gtest.h>

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenReservedCharactersAppear)
{
    EXPECT_EQ(DesktopEntry::QuoteArgument("/opt/tern/bin/tern"), "/opt/tern/bin/tern");
    EXPECT_EQ(DesktopEntry::QuoteArgument("/a b/c"), "\"/a b/c\"");
    EXPECT_EQ(DesktopEntry::QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(DesktopEntry::QuoteArgument("$HOME"), "\"\\$HOME\"");
    EXPECT_EQ(DesktopEntry::QuoteArgument("a`b`"), "\"a\\`b\\`\"");
    EXPECT_EQ(DesktopEntry::QuoteArgument("it's"), "\"it's\"");
    EXPECT_EQ(DesktopEntry::QuoteArgument("semi;colon"), "\"semi;colon\"");
    // "%" is doubled whether or not the argument is quoted.
    EXPECT_EQ(DesktopEntry::QuoteArgument("100%"), "100%%");
    EXPECT_EQ(DesktopEntry::QuoteArgument("50% off"), "\"50%% off\"");
    // An empty argument still counts as one.
    EXPECT_EQ(DesktopEntry::QuoteArgument(""), "\"\"");
}

TEST(DesktopEntry, StringEscapesApplyOnTopOfTheQuoting)
{
    // One backslash in a path: escaped by the quoting, then both by the
    // string rule, four in the file.
    EXPECT_EQ(DesktopEntry::ExecValue({"/x\\y"}), "\"/x\\\\\\\\y\"");
    EXPECT_EQ(DesktopEntry::ExecValue({"xdg-open", "/a b/line\nend"}),
        "xdg-open \"/a b/line\\nend\"");
    EXPECT_EQ(DesktopEntry::EscapeValue(" lead and\ttab\r"), "\\slead and\\ttab\\r");
    EXPECT_EQ(DesktopEntry::ListValue({"text/x-a", "odd;type"}), "text/x-a;odd\\;type;");
    EXPECT_EQ(DesktopEntry::ListValue({}), "");
}

TEST(DesktopEntry, TextHoldsTheGroupAndOnlyTheKeysSet)
{
    DesktopEntry entry;
    entry.SetName("Tern Notes");
    entry.SetCommand({"/opt/Tern Notes/tern"});
    entry.SetIcon("ondelle-Tern");
    entry.SetMimeTypes({"text/x-tern"});
    entry.AddKey("X-Ondelle-Signature", "application/x-vnd.tern");
    EXPECT_EQ(entry.Text(),
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tern Notes\n"
        "Exec=\"/opt/Tern Notes/tern\"\n"
        "Icon=ondelle-Tern\n"
        "MimeType=text/x-tern;\n"
        "X-Ondelle-Signature=application/x-vnd.tern\n");

}

TEST(DesktopEntry, SafeNamesKeepOnlyPortableCharacters)
{
    EXPECT_EQ(DesktopEntry::SafeName("Tern Notes"), "Tern-Notes");
    EXPECT_EQ(DesktopEntry::SafeName("a/b\\c;d"), "a-b-c-d");
    EXPECT_EQ(DesktopEntry::SafeName("v1.2_x-y"), "v1.2_x-y");
    EXPECT_EQ(DesktopEntry::SafeName(""), "x");
    // Never hidden, never taken for an option.
    EXPECT_EQ(DesktopEntry::SafeName(".hidden"), "x.hidden");
    EXPECT_EQ(DesktopEntry::SafeName("-rf"), "x-rf");
}

TEST(SessionEnvironment, PlainAssignmentsAreCarriedAndTheRestIsReported)
{
    const session_environment environment = TranslateSessionEnvironment(
        "# settings\n"
        "export TERN_HOME=\"$HOME/tern data\"\n"
        "TERN_MODE=fast\n"
        "  export TERN_PATH=${PATH}:'/opt/tern bin'   # comment\n"
        "\n"
        "export TERN_CMD=$(date)\n"
        "TERN_LIT='$5'\n"
        "A=1 B=2\n"
        "tern-setup --now\n"
        "TERN_Q=\"unterminated\n");
    EXPECT_EQ(environment.text,
        "TERN_HOME=\"${HOME}/tern data\"\n"
        "TERN_MODE=\"fast\"\n"
        "TERN_PATH=\"${PATH}:/opt/tern bin\"\n");
    EXPECT_EQ(environment.names, (std::vector<std::string>{"TERN_HOME", "TERN_MODE", "TERN_PATH"}));
    EXPECT_EQ(environment.skipped, (std::vector<std::string>{"export TERN_CMD=$(date)",
        "TERN_LIT='$5'", "A=1 B=2", "tern-setup --now", "TERN_Q=\"unterminated"}));

    EXPECT_TRUE(TranslateSessionEnvironment("").names.empty());
}

TEST(MimePackage, DeclaresValidTypesOnceWithEscapedTexts)
{
    mime_type_declaration own{"text/x-vondl", "Installer <document> & more", {"*.vondl"}, "text/plain", {}, {}};
    mime_type_declaration again{"text/x-vondl", "second", {}, "", {}, {}};
    mime_type_declaration bad{"not a type", "", {}, "", {}, {}};
    mime_type_declaration injected{"text/x-a\"/><x", "", {}, "", {}, {}};
    mime_type_declaration bare{"application/x-vnd.tern-doc", "", {}, "bogus", {}, {}};
    EXPECT_EQ(MimePackageText({own, again, bad, injected, bare}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"text/x-vondl\">\n"
        "    <comment>Installer &lt;document&gt; &amp; more</comment>\n"
        "    <sub-class-of type=\"text/plain\"/>\n"
        "    <glob pattern=\"*.vondl\"/>\n"
        "  </mime-type>\n"
        "  <mime-type type=\"application/x-vnd.tern-doc\">\n"
        "    <comment>application/x-vnd.tern-doc</comment>\n"
        "  </mime-type>\n"
        "</mime-info>\n");

    EXPECT_TRUE(IsValidMimeTypeName("application/vnd.ms-excel+xml"));
    EXPECT_FALSE(IsValidMimeTypeName("text"));
    EXPECT_FALSE(IsValidMimeTypeName("/plain"));
    EXPECT_FALSE(IsValidMimeTypeName("text/"));
    EXPECT_FALSE(IsValidMimeTypeName("te.xt/plain"));
    EXPECT_FALSE(IsValidMimeTypeName("text/pl ain"));
}
