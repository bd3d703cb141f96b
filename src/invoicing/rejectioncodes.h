#pragma once

#include "shell/registrydescriptor.h"

namespace rotalina::invoicing {

// The codes with which the exchange system rejects an electronic invoice (PA_Errori), with their
// explanations and what to do about them: "TfrmGrigliaErroriFatturazioneElettronica" lists them,
// "TfrmDettaglioErroriFatturazioneElettronica" shows one. They are loaded from the published table
// ("--importa-tabella PA_Errori") and only looked up, never changed by the program.
const shell::RegistryDescriptor &rejectionCodesRegistry();

} // namespace rotalina::invoicing
