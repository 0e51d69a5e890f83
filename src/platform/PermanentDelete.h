#pragma once

// Whether a file that no trash can take may be destroyed for good. Without the user's word a step stops
// before it changes anything and fails as NotTrashable, naming the file, so that the user can be asked.
enum class PermanentDelete { NotAgreed, Agreed };
