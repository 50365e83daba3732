#pragma once

namespace folio {

// Sizes in the design are in twips (1/1440 inch); at 96 dots per inch a
// pixel is 15 twips.
constexpr int twips(int value)
{
    return (value + 7) / 15;
}

} // namespace folio
