#pragma once

#include "module/CommandLineEntry.h"
#include "module/ItemId.h"

#include <cstdint>
#include <map>
#include <string>

// Description of a module that the host reads to present it: name, code,
// command-line help and names, name and description keys, and a numbered
// text table supplied by the host.
class Resource
{
public:
    using NumberedTexts = std::map<int32_t, std::string>;
    using CommandLineNames = std::map<ItemId, CommandLineEntry>;

    explicit Resource(const ItemId& id) : m_id(id) {}
    virtual ~Resource() = default;

    virtual uint64_t hostValue() { return m_hostValue; }                    // slot 1
    virtual std::string diagnosticNameKey(const ItemId& id) = 0;            // slot 2
    virtual std::string testNameKey(const ItemId& id) = 0;                  // slot 3
    virtual std::string diagnosticDescriptionKey(const ItemId& id) = 0;     // slot 4
    virtual std::string testDescriptionKey(const ItemId& id) = 0;           // slot 5
    virtual std::string helpText() { return m_helpText; }                   // slot 6
    virtual std::string name() { return m_name; }                           // slot 7
    virtual std::string code() { return m_code; }                           // slot 8
    virtual CommandLineNames testCommandLineNames() { return m_testNames; } // slot 9
    virtual CommandLineNames diagnosticCommandLineNames()                   // slot 10
    {
        return m_diagnosticNames;
    }
    virtual NumberedTexts numberedTexts() { return m_numberedTexts; } // slot 11
    virtual void setNumberedTexts(const NumberedTexts& texts);        // slot 12

    const ItemId& id() const { return m_id; }

protected:
    ItemId m_id;
    std::string m_helpText;
    std::string m_name;
    std::string m_code;
    NumberedTexts m_numberedTexts;
    CommandLineNames m_testNames;       // first insert of a key wins
    CommandLineNames m_diagnosticNames; // first insert of a key wins
    uint64_t m_hostValue = 0;           // never assigned by this module
};
