#pragma once
// The identity token of one retained_resource_store. Its address is the store's
// identity: prepared admissions and candidate batches keep a shared reference to
// it and are committed only by the store whose token they hold.

class retained_store_identity {
public:
    virtual ~retained_store_identity();
};
