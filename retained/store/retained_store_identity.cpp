#include "retained/store/retained_store_identity.h"

retained_store_identity::~retained_store_identity() = default;
