// What a complete piece of a run holds: the report of each method, and the per-folder CSV files
// (scores, summary) when the run wrote them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "run_pieces.h"

// "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt", as bestfocus names
// its report.
std::string report_file_name(int first_folder, int last_folder, int method);

// The reports in the piece's folder that cover exactly its range, by method code: the picked
// image of each folder, in folder order. Returns false with `problem` set when the folder holds
// no report or one that is not complete.
bool read_piece_reports(const RunPiece& piece, std::map<int, std::vector<int>>& picks_by_method,
                        std::string& problem);

// A CSV file whose first column is the folder number and whose rows come in folder order.
struct FolderTable {
    std::string header;
    std::map<int, std::string> rows_by_folder;  // each folder's rows, every one ending in '\n'
};

// Reads the piece's file of that name into `table`. Every folder of the piece must have at least
// one row and no row may name another folder; otherwise false with `problem` set.
bool read_piece_table(const RunPiece& piece, const std::string& file_name, FolderTable& table,
                      std::string& problem);
