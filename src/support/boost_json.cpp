// Builds without a Boost.JSON library (Windows) compile it here from its headers.
#ifdef QOSA_BOOST_JSON_HEADER_ONLY
#include <boost/json/src.hpp>
#endif
