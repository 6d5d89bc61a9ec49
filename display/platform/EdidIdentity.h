#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Who a monitor is, read from its EDID base block: serial number, when it was
// made (or which model year it is), product code and product name. Only a
// base block whose header and checksum hold is read; any other input, however
// short or long, gives an identity with nothing known.
class EdidIdentity
{
public:
    EdidIdentity() = default;
    explicit EdidIdentity(const std::vector<uint8_t>& edid);
    EdidIdentity(const uint8_t* data, size_t size);

    // True when a valid base block was read.
    bool isValid() const { return m_valid; }

    // The first serial number descriptor's text, else the numeric serial in
    // decimal; absent when neither says anything.
    const std::optional<std::string>& serialNumber() const { return m_serialNumber; }
    const std::optional<int>& manufactureWeek() const { return m_manufactureWeek; }
    const std::optional<int>& manufactureYear() const { return m_manufactureYear; }
    const std::optional<int>& modelYear() const { return m_modelYear; }
    // Four upper-case hex digits ("0647").
    const std::optional<std::string>& productCode() const { return m_productCode; }
    // The first product name descriptor's text; absent when blank.
    const std::optional<std::string>& productName() const { return m_productName; }

private:
    bool m_valid = false;
    std::optional<std::string> m_serialNumber;
    std::optional<int> m_manufactureWeek;
    std::optional<int> m_manufactureYear;
    std::optional<int> m_modelYear;
    std::optional<std::string> m_productCode;
    std::optional<std::string> m_productName;
};
