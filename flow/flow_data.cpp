#include "flow/flow_data.h"

#include "run/globals.h"

Array1<double> Cu{ArrayBase::kGlobal};
Array1<double> Cv{ArrayBase::kGlobal};
Array1<double> Cw{ArrayBase::kGlobal};
Array1<double> Pres{ArrayBase::kGlobal};
Array1<double> Ck{ArrayBase::kGlobal};
Array1<double> Cepsilon{ArrayBase::kGlobal};
Array1<double> Ceddyvisc{ArrayBase::kGlobal};
Array1<double> Ceddyviscz{ArrayBase::kGlobal};
Array1<double> Croughness{ArrayBase::kGlobal};
Array1<double> Cdrhodi{ArrayBase::kGlobal};
Array1<double> Cdrhodj{ArrayBase::kGlobal};
Array1<double> CinvAp{ArrayBase::kGlobal};
Array1<double> Cap{ArrayBase::kGlobal};
Array1<double> Cae{ArrayBase::kGlobal};
Array1<double> Caw{ArrayBase::kGlobal};
Array1<double> Cas{ArrayBase::kGlobal};
Array1<double> Can{ArrayBase::kGlobal};
Array1<double> Cat{ArrayBase::kGlobal};
Array1<double> Cab{ArrayBase::kGlobal};
Array1<double> Csource{ArrayBase::kGlobal};
Array1<double> Caee{ArrayBase::kGlobal};
Array1<double> Caww{ArrayBase::kGlobal};
Array1<double> Cass{ArrayBase::kGlobal};
Array1<double> Cann{ArrayBase::kGlobal};
Array1<double> Catt{ArrayBase::kGlobal};
Array1<double> Cabb{ArrayBase::kGlobal};
Array2<double> CaMultiE{ArrayBase::kGlobal};
Array2<double> CaMultiW{ArrayBase::kGlobal};
Array2<double> CaMultiS{ArrayBase::kGlobal};
Array2<double> CaMultiN{ArrayBase::kGlobal};
Array2<double> CbMultiE{ArrayBase::kGlobal};
Array2<double> CbMultiW{ArrayBase::kGlobal};
Array2<double> CbMultiS{ArrayBase::kGlobal};
Array2<double> CbMultiN{ArrayBase::kGlobal};
Array1<double> Cu_old{ArrayBase::kGlobal};
Array1<double> Cv_old{ArrayBase::kGlobal};
Array1<double> Cw_old{ArrayBase::kGlobal};
Array1<double> Pres_old{ArrayBase::kGlobal};
Array1<double> Ck_old{ArrayBase::kGlobal};
Array1<double> Cepsilon_old{ArrayBase::kGlobal};
Array1<double> CinvAp_old{ArrayBase::kGlobal};
Array1<double> Cu_old2{ArrayBase::kGlobal};
Array1<double> Cv_old2{ArrayBase::kGlobal};
Array1<double> Cw_old2{ArrayBase::kGlobal};
Array1<double> Cu_res{ArrayBase::kGlobal};
Array1<double> Cv_res{ArrayBase::kGlobal};
Array1<double> Cw_res{ArrayBase::kGlobal};
Array1<double> Cpres_res{ArrayBase::kGlobal};
Array1<double> Ck_res{ArrayBase::kGlobal};
Array1<double> Cepsilon_res{ArrayBase::kGlobal};
Array1<double> CinvAp_transient{ArrayBase::kGlobal};
Array1<double> Cu_pseudo{ArrayBase::kGlobal};
Array1<double> Cv_pseudo{ArrayBase::kGlobal};
Array1<double> Cw_pseudo{ArrayBase::kGlobal};
Array1<double> Fflux{ArrayBase::kGlobal};
Array1<double> Fdensgrad{ArrayBase::kGlobal};

Array1<double> CfHome{ArrayBase::kGlobal};
Array1<double> Cf_oldHome{ArrayBase::kGlobal};
FieldRef<double> Cf{ArrayBase::kGlobal, CfHome};
FieldRef<double> Cf_old{ArrayBase::kGlobal, Cf_oldHome};
Array1<double> Cf_old2Home{ArrayBase::kGlobal};
FieldRef<double> Cf_old2{ArrayBase::kGlobal, Cf_old2Home};

double Kappa = 0.4;

bool OldFieldsFollowIterations() { return (TimeStep > 1e-8 || FlushLimit >= 1) && Cu_old.exists(); }
