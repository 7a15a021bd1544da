#pragma once

namespace kr7::pg {
class Connection;
}

// The central results database's tables: every instrument's results, the instruments that
// sent them, and how far each instrument's two results tables have been sent.
namespace kr7::central {

// Creates what is missing and leaves what is there: safe to run again, from any instrument.
void createSchema(pg::Connection& central);

} // namespace kr7::central
