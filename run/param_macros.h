// Run parameters are plain globals with their defaults listed once.
//
// Each data-set family lists its scalars as X(type, name, default); the list
// yields the extern declarations, the definitions and the default store, so a
// parameter and its default cannot drift apart.
#pragma once

#define RIVAX_DECLARE_PARAM(type, name, def) extern type name;
#define RIVAX_DEFINE_PARAM(type, name, def) type name = def;
#define RIVAX_STORE_DEFAULT(type, name, def) name = def;
