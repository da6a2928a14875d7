#pragma once

#include "invoicedata.h"

class ModelFacade;

// The facade's current invoice as a document value, read through its getters: what the
// page prints when the window asks for the document being typed.
InvoiceData documentFromFacade(ModelFacade& model);
