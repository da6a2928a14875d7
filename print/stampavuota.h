#pragma once

// When true, documents are printed as blank forms: labels, boxes and rules without data.
// Set by the invoice tab, read by the page drawing; false at start.
extern bool stampaVuota;
