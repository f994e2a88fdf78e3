#include "core/results/result_record.h"

#include <bit>
#include <cstring>

#include "platform/codec.h"

namespace bardrill {

namespace {
template <typename T>
void Put(RecordBytes& out, size_t offset, T value) {
  using U = std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>,
                                                    std::conditional_t<sizeof(T) == 8, int64_t, int32_t>, T>>;
  U bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t i = 0; i < sizeof bits; ++i) out[offset + i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <typename T>
T Get(const RecordBytes& in, size_t offset) {
  return record_field::Number<T>(in.data() + offset);
}

void PutField(RecordBytes& out, size_t offset, const TextField& f) {
  std::memcpy(&out[offset], f.data(), f.size());
}

TextField GetField(const RecordBytes& in, size_t offset) {
  TextField f;
  std::memcpy(f.data(), &in[offset], f.size());
  return f;
}
}  // namespace

RecordBytes ResultRecord::Encode() const {
  RecordBytes out{};
  Put(out, 0, date);
  Put(out, 8, time);
  Put(out, 16, Bangou);
  Put(out, 18, level);
  Put(out, 20, seconds);
  PutField(out, 24, schoolCode);
  PutField(out, 29, reserved1);
  PutField(out, 34, points);
  PutField(out, 39, reserved2);
  return out;
}

ResultRecord ResultRecord::Decode(const RecordBytes& in) {
  ResultRecord r;
  r.date = Get<double>(in, 0);
  r.time = Get<double>(in, 8);
  r.Bangou = Get<int16_t>(in, 16);
  r.level = Get<int16_t>(in, 18);
  r.seconds = Get<int32_t>(in, 20);
  r.schoolCode = GetField(in, 24);
  r.reserved1 = GetField(in, 29);
  r.points = GetField(in, 34);
  r.reserved2 = GetField(in, 39);
  return r;
}

TextField MakeTextField(std::string_view utf8) {
  TextField f;
  f.fill(' ');
  std::string bytes = codec::Utf8ToCp932(utf8);
  std::memcpy(f.data(), bytes.data(), std::min(bytes.size(), f.size()));
  return f;
}

std::string FieldText(const TextField& field) {
  std::string_view raw(field.data(), field.size());
  size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  return codec::Cp932ToUtf8(raw);
}

ResultRecord MakeNewRecord(double date, double time, int student, int level, int seconds,
                           std::string_view schoolCode) {
  ResultRecord r;
  r.date = date;
  r.time = time;
  r.Bangou = static_cast<int16_t>(student);
  r.level = static_cast<int16_t>(level);
  r.seconds = seconds;
  r.schoolCode = MakeTextField(schoolCode);
  r.reserved1 = MakeTextField("");
  r.points = MakeTextField("0");
  r.reserved2.fill('\0');
  return r;
}

}  // namespace bardrill
