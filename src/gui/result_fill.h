#ifndef TRULVEX_GUI_RESULT_FILL_H_
#define TRULVEX_GUI_RESULT_FILL_H_

#include <string_view>

namespace trulvex {

class Editor;

// Puts a table into the result editor piece by piece as a run hands it
// over, so that the window can take events between the pieces. The first
// piece replaces what the editor held. Meanwhile the editor records no undo
// step (undo acts on the source editor only; recording the table would copy
// it) and sends no change notices: for each of them the editor counts the
// characters up to the change, or copies the whole text, for accessibility,
// which makes every piece cost as much as all the text before it. Both come
// back when the fill ends.
class ResultFill {
 public:
  explicit ResultFill(Editor* editor);
  ~ResultFill();
  ResultFill(const ResultFill&) = delete;
  ResultFill& operator=(const ResultFill&) = delete;

  // A piece of the table, in code page 1251.
  void Append(std::string_view cp1251);
  // The table is whole: an empty one empties the editor too.
  void Finish();
  // Nothing of a table that cannot be trusted stays on show.
  void Discard();

 private:
  void Start();

  Editor* editor_;
  long events_;
  bool started_ = false;
};

// Replaces the result editor's whole text by a table (code page 1251).
void FillResultEditor(Editor* editor, std::string_view table);

}  // namespace trulvex

#endif  // TRULVEX_GUI_RESULT_FILL_H_
