// Relays: re-emit what the control object, the input thread and the remote
// link report, under the names the pages connect to.
#include "ThreadHandler.h"

void ThreadHandler::gotUpdatedCounter(int repCount) { emit counterUpdated(repCount); }
void ThreadHandler::gotProfileLoadRequest(int pro) { emit requestLoadProfile(pro); }
void ThreadHandler::gotProfileLoadRequestFromComm(int pro) { emit requestProfileUpdateFromServer(pro); }
void ThreadHandler::updateRunState(bool runState) { emit setRunInProgress(runState); }
void ThreadHandler::txnPercenttoGUI(float percent) { emit monitorGui(percent); }

void ThreadHandler::txnInputValuestoGUI(float pT, float pV, float pC, float pcbT, float pcbV, float aT, float aV,
                                        float nZ)
{
    emit gotInputValues(pT, pV, pC, pcbT, pcbV, aT, aV, nZ);
}

void ThreadHandler::waitForInitSlot(int iniT) { emit waitForInit(iniT); }
void ThreadHandler::updateOnlineStatus(bool onlineState) { emit gotConnectionStatus(onlineState); }
void ThreadHandler::handleAdcMaxValue(int adcMaxVal) { emit gotMaxValue(adcMaxVal); }
void ThreadHandler::handleTightADCValue(int adcLooseVal, int adcTightVal) { emit gotTightADCValue(adcLooseVal, adcTightVal); }
void ThreadHandler::handleCalibrationDone() { emit calibrationDone(); }
void ThreadHandler::htCommsError() { emit serialCommsErrToQML(); }
void ThreadHandler::donotStopSlot(bool sig) { emit donotStopSignal(sig); }
void ThreadHandler::GotDspData(QString dspData) { emit giveDspData(dspData); }
void ThreadHandler::gotNetworkAvailable(bool st) { emit networkAvailable(st); }
