// Global data of the flow equations: fields, coefficients and fluxes.
#pragma once

#include "run/arrays.h"

// Flow fields, per cell.
extern Array1<double> Cu;
extern Array1<double> Cv;
extern Array1<double> Cw;
extern Array1<double> Pres;
extern Array1<double> Ck;
extern Array1<double> Cepsilon;
extern Array1<double> Ceddyvisc;
extern Array1<double> Ceddyviscz;
extern Array1<double> Croughness;
extern Array1<double> Cdrhodi;
extern Array1<double> Cdrhodj;
extern Array1<double> CinvAp;

// Coefficients and source of the equation being assembled, per cell.
extern Array1<double> Cap;
extern Array1<double> Cae;
extern Array1<double> Caw;
extern Array1<double> Cas;
extern Array1<double> Can;
extern Array1<double> Cat;
extern Array1<double> Cab;
extern Array1<double> Csource;

// Far-neighbour coefficients of second-order upwinding.
extern Array1<double> Caee;
extern Array1<double> Caww;
extern Array1<double> Cass;
extern Array1<double> Cann;
extern Array1<double> Catt;
extern Array1<double> Cabb;

// Coefficients of split faces, [cell][0..NoGridLinesZ-1].
extern Array2<double> CaMultiE;
extern Array2<double> CaMultiW;
extern Array2<double> CaMultiS;
extern Array2<double> CaMultiN;
extern Array2<double> CbMultiE;
extern Array2<double> CbMultiW;
extern Array2<double> CbMultiS;
extern Array2<double> CbMultiN;

// Previous time levels (also kept for the flush of a diverging iteration,
// and for carrying the fields to regenerated cells in a steady run with a
// moving surface).
extern Array1<double> Cu_old;
extern Array1<double> Cv_old;
extern Array1<double> Cw_old;
extern Array1<double> Pres_old;
extern Array1<double> Ck_old;
extern Array1<double> Cepsilon_old;
extern Array1<double> CinvAp_old;
extern Array1<double> Cu_old2;
extern Array1<double> Cv_old2;
extern Array1<double> Cw_old2;
// True when the old fields hold the previous time level or outer iteration
// (an unsteady run or the flush), not merely the fields before the last grid
// regeneration of a steady run.
bool OldFieldsFollowIterations();

// Per-cell residuals of equations 1 to 6.
extern Array1<double> Cu_res;
extern Array1<double> Cv_res;
extern Array1<double> Cw_res;
extern Array1<double> Cpres_res;
extern Array1<double> Ck_res;
extern Array1<double> Cepsilon_res;
// The residual field of `equation`; null for the pressure correction, whose
// residual is the mass defect.
inline Array1<double>* CellResidualField(int equation) {
    switch (equation) {
        case 1: return &Cu_res;
        case 2: return &Cv_res;
        case 3: return &Cw_res;
        case 5: return &Ck_res;
        case 6: return &Cepsilon_res;
        default: return nullptr;
    }
}

// Scheme variants of F 171.
extern Array1<double> CinvAp_transient;
extern Array1<double> Cu_pseudo;
extern Array1<double> Cv_pseudo;
extern Array1<double> Cw_pseudo;

// Von Karman constant of the wall laws; they store it on every call.
extern double Kappa;

// Surface fluxes (kg/s, positive from Fcell1 to Fcell2) and density gradients.
extern Array1<double> Fflux;
extern Array1<double> Fdensgrad;

// The field being solved and its previous-time copy. Each has an array of its
// own from the allocation; the equation drivers designate the field at hand.
extern Array1<double> CfHome;
extern Array1<double> Cf_oldHome;
extern FieldRef<double> Cf;
extern FieldRef<double> Cf_old;
// Two time levels back, for second-order time differencing; the drivers
// designate Cu_old2, Cv_old2 or Cw_old2. Unallocated until then.
extern Array1<double> Cf_old2Home;
extern FieldRef<double> Cf_old2;
