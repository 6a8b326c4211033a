// What the sync tests share: a fresh address book on the server under test
// (radicale or xandikos, started on 127.0.0.1 by with_servers.sh) and on
// this side, and the ways to look at, change and compare both.
#pragma once

#include <gtest/gtest.h>
#include <wx/ffile.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>

#include "exchange/VCardImport.h"
#include "storage/Adapter.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/SyncStore.h"
#include "storage/TagManager.h"
#include "sync/CardMerge.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"
#include "sync/Discovery.h"
#include "sync/SyncEngine.h"
#include "tests/support/TestEnv.h"

namespace SyncTesting
{
inline std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline std::string ReadFile(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb"))
    {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// A card's text with LF line ends (XML answers carry no CR) and unfolded.
inline std::string Unfold(std::string text)
{
    for (size_t at; (at = text.find('\r')) != std::string::npos;)
        text.erase(at, 1);
    for (size_t at; (at = text.find("\n ")) != std::string::npos;)
        text.erase(at, 2);
    return text;
}

inline std::vector<std::string> CardsOf(const std::string& file)
{
    std::vector<std::string> cards;
    const std::string text = ReadFile(file);
    for (size_t at = text.find("BEGIN:VCARD"); at != std::string::npos; at = text.find("BEGIN:VCARD", at + 1))
    {
        const size_t end = text.find("END:VCARD", at);
        cards.push_back(text.substr(at, end + 9 - at) + "\r\n");
    }
    return cards;
}

inline std::string Person(int i)
{
    char card[256];
    std::snprintf(card, sizeof card,
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:person-%03d\r\nN:Person%03d;Pat;;;\r\nFN:Pat Person%03d\r\n"
                  "EMAIL;TYPE=INTERNET:pat%03d@example.org\r\nEND:VCARD\r\n",
                  i, i, i, i);
    return card;
}

inline int runs = 0;

class SyncTest : public CorvalaTest, public testing::WithParamInterface<std::string>
{
protected:
    void SetUp() override
    {
        base = Env(GetParam() == "radicale" ? "CORVALA_TEST_RADICALE" : "CORVALA_TEST_XANDIKOS");
        ASSERT_FALSE(base.empty()) << "run through tests/sync/with_servers.sh";
        password = Env("CORVALA_TEST_PASSWORD");
        settings.user = Env("CORVALA_TEST_USER");
        settings.password = password;
        client = std::make_unique<Dav::Client>(settings);
        book = NewBook();
        account.name = "test";
        account.url = wxString::FromUTF8(base);
        account.user = wxString::FromUTF8(settings.user);
        account.book = wxString::FromUTF8(book);
        Adapter adapter;
        ASSERT_TRUE(SyncStore::SaveAccount(adapter, account));
    }

    std::string NewBook()
    {
        const std::string home = base + (GetParam() == "radicale" ? settings.user + "/" : "user/contacts/");
        const std::string url = home + "book-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + "/";
        EXPECT_EQ(201, MakeBook(url));
        return url;
    }

    // Makes an address book at the URL on the test's client; the status.
    long MakeBook(const std::string& url)
    {
        return client
            ->Request("MKCOL", url, {"Content-Type: application/xml"},
                      "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                      "<d:set><d:prop><d:resourcetype><d:collection/><c:addressbook/></d:resourcetype></d:prop>"
                      "</d:set></d:mkcol>")
            .status;
    }

    SyncEngine::Report Sync(SyncEngine::FirstSync first = SyncEngine::FirstSync::UPLOAD)
    {
        ContactManager contacts;
        TagManager tags;
        SyncEngine engine(contacts, tags);
        SyncEngine::Options options;
        options.password = password;
        options.first = first;
        Adapter adapter;
        SyncStore::FindAccount(adapter, "test", account);
        return engine.Run(account, options);
    }

    void Put(const std::string& name, std::string card)
    {
        // Some servers want a UID in every card.
        if (card.find("\nUID:") == std::string::npos)
            card.insert(card.find('\n') + 1, "UID:" + name + "\r\n");
        const Dav::Response put = client->Request("PUT", book + name, {"Content-Type: text/vcard"}, card);
        ASSERT_TRUE(put.Ok()) << put.status << " " << put.body;
    }

    // Every card on the server, by href.
    std::map<std::string, std::string> ServerCards()
    {
        std::map<std::string, std::string> cards;
        const Dav::Response list = client->Propfind(book, 1, DavXml::PropfindEtags());
        std::vector<std::string> hrefs;
        for (const DavXml::Item& item : DavXml::Parse(list.body).items)
        {
            if (!item.collection && item.found)
                hrefs.push_back(item.href);
        }
        if (hrefs.empty())
            return cards;
        const Dav::Response got = client->Report(book, 1, DavXml::Multiget(hrefs));
        for (const DavXml::Item& item : DavXml::Parse(got.body).items)
            cards[item.href] = item.card;
        return cards;
    }

    // The href of the server card whose text holds the given words.
    std::string HrefWith(const std::string& words)
    {
        for (const auto& [href, card] : ServerCards())
        {
            if (Unfold(card).find(words) != std::string::npos)
                return href;
        }
        return "";
    }

    // Another device's edit: the card changed on the server.
    void EditOnServer(const std::string& words, const std::string& from, const std::string& to)
    {
        const std::string href = HrefWith(words);
        ASSERT_FALSE(href.empty()) << words;
        const std::string url = Dav::Resolve(book, href);
        const Dav::Response got = client->Request("GET", url, {}, "");
        std::string card = Unfold(got.body);
        const size_t at = card.find(from);
        ASSERT_NE(std::string::npos, at) << card;
        card.replace(at, from.size(), to);
        for (size_t n = 0; (n = card.find('\n', n)) != std::string::npos; n += 2)
            card.insert(n, "\r");
        const Dav::Response put =
            client->Request("PUT", url, {"Content-Type: text/vcard", "If-Match: " + got.Header("etag")}, card);
        ASSERT_TRUE(put.Ok()) << put.status;
    }

    void DeleteOnServer(const std::string& words)
    {
        const std::string href = HrefWith(words);
        ASSERT_FALSE(href.empty()) << words;
        ASSERT_TRUE(client->Request("DELETE", Dav::Resolve(book, href), {}, "").Ok());
    }

    // One line per person, sorted, on either side: equal means in step.
    std::string ServerPeople()
    {
        std::vector<std::string> rows;
        for (const auto& [href, card] : ServerCards())
        {
            CardMerge::Side side;
            EXPECT_TRUE(CardMerge::FromCard(card, side)) << card;
            const ContactInfoEx& c = side.contact;
            rows.push_back(
                (c.last_name + "|" + c.first_name + "|" + c.company + "|" + c.email + "|" + c.job_title).utf8_string());
        }
        std::sort(rows.begin(), rows.end());
        std::string all;
        for (const std::string& row : rows)
            all += row + "\n";
        return all;
    }

    std::string LocalPeople()
    {
        const wxString rows =
            dir.Scalar("select group_concat(x, char(10)) || char(10) from (select ifnull(last_name,'') || '|' || "
                       "ifnull(first_name,'') || '|' || ifnull(company,'') || '|' || ifnull(email,'') || '|' || "
                       "ifnull(job_title,'') as x from contacts order by x)");
        return rows.utf8_string();
    }

    void Import(const char* file)
    {
        ContactManager contacts;
        TagManager tags;
        VCardImport import(tags, contacts);
        const VCardImport::Result result =
            import.Run(wxString(CORVALA_SOURCE_DIR "/tests/exchange/vcard/") + file, VCardImport::Duplicates::IMPORT);
        ASSERT_TRUE(result.stored) << file << " " << result.error;
    }

    // The database tool, as a script runs it; returns its exit status.
    int Tool(const std::string& args, const std::string& input, std::string* output = nullptr,
             const std::string& env = "")
    {
        const std::string out = dir.Path().utf8_string() + "/tool.out";
        const std::string command = "printf '%s\\n' '" + input + "' | " + env + " " CORVALA_DB_TOOL " --db " +
                                    dir.DbPath().utf8_string() + " " + args + " >" + out + " 2>&1";
        const int status = std::system(command.c_str());
        if (output)
            *output = ReadFile(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string base;
    std::string password;
    Dav::Settings settings;
    std::unique_ptr<Dav::Client> client;
    std::string book;
    SyncStore::Account account;
};
} // namespace SyncTesting
